// The working folder: stale files never pass for new ones, the user's own
// folders are never emptied, two runs never share one, and the folders of
// killed runs are cleaned up by the next run without touching live ones.
#include <signal.h>

#include <fstream>

#include "PivraMakeFixture.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

class WorkingFolder : public PivraMakeTest {
protected:
    std::string out(const std::string& name) const { return dir / name; }
    TempFolder place{"make-work"};
    const std::string work = place / "work";
};

TEST_F(WorkingFolder, FilesOfAnEarlierRunAtAnotherScaleNeverPassForNewOnes) {
    // pivra-make beside stand-in libraries that fail the commands named below.
    TempFolder bin{"make-failing"};
    fs::copy_file(kMake, bin / "pivra-make");
    for (const char* f : {"pre_mask.bmp", "pre_mask.mif", "pre_white.mif", "pre_black.bmp"})
        fs::copy_file(std::string(PIVRA_BIN_DIR) + "/" + f, bin / f);
    for (const char* f : {"libMorphex.so", "libLayerik.so"})
        fs::copy_file(std::string(FAILING_LIB_DIR) + "/" + f, bin / f);

    ASSERT_EQ(make({head, tail, out("eight.gif"), "--workdir", work, "--scale", "8"}).exitCode, 0);
    struct Case { const char* failingInputs; const char* named; };
    // The scale-8 templates stay in Work; temp1.gif is written before the
    // head strip that fails to overwrite it.
    for (const Case& c : {Case{"pre_mask.mif:pre_white.mif", "Work/mask.mif"},
                          Case{"Masks/ImagA.gif", "Masks/temp1.gif"}}) {
        SCOPED_TRACE(c.failingInputs);
        const std::string sixteen = out("sixteen.gif");
        const ProcessResult r = RunProcess({bin / "pivra-make", head, tail, sixteen, "--workdir", work},
                                           {"TMPDIR=" + tmp.str(), std::string("PIVRA_TEST_FAILING_INPUTS=") + c.failingInputs});
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(work + "/" + c.named), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(sixteen));
        EXPECT_FALSE(fs::exists(work + "/Images"));
    }
}

TEST_F(WorkingFolder, TheUsersOwnImagesOrMasksFolderIsNeverEmptied) {
    for (const std::string name : {"Images", "Masks"}) {
        SCOPED_TRACE(name);
        fs::create_directories(work + "/" + name);
        std::ofstream(work + "/" + name + "/holiday.jpg") << "the user's own";
        const ProcessResult r = make({head, tail, out("o.gif"), "--workdir", work});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(work + "/" + name), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("not made by PIVRA"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::exists(work + "/" + name + "/holiday.jpg"));
        EXPECT_FALSE(fs::exists(out("o.gif")));
        fs::remove_all(work + "/" + name);
    }
    // Folders the build made itself are emptied on the next run as before.
    EXPECT_EQ(make({head, tail, out("o.gif"), "--workdir", work, "--scale", "1"}).exitCode, 0);
}

TEST_F(WorkingFolder, TwoRunsOnOneFolderNeverShareIt) {
    auto first = start({head, tail, out("first.gif"), "--workdir", work, "--trace", "--scale", "4"});
    ASSERT_TRUE(first->waitForLines(3));
    const ProcessResult second = make({head, tail, out("second.gif"), "--workdir", work, "--scale", "1"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("in use"), std::string::npos) << second.err;
    EXPECT_NE(second.err.find(work), std::string::npos) << second.err;
    EXPECT_FALSE(fs::exists(out("second.gif")));

    ASSERT_EQ(first->finish().exitCode, 0);
    const GifInfo info = ReadGifStructure(out("first.gif"));
    EXPECT_EQ(info.frames.size(), 50u);
    EXPECT_EQ(info.screenWidth, 48);
    EXPECT_EQ(make({head, tail, out("second.gif"), "--workdir", work, "--scale", "1"}).exitCode, 0);
}

TEST_F(WorkingFolder, KilledRunsLeftoversGoWithTheNextRunLiveOnesStay) {
    auto killed = start({head, tail, out("killed.gif"), "--trace"});
    ASSERT_TRUE(killed->waitForLines(10));
    killed->signal(SIGKILL);
    killed->finish();
    const std::set<std::string> leftover = NamesIn(tmp.str());
    ASSERT_EQ(leftover.size(), 1u);

    // Not ours: a folder of a similar name without the owner's lock file.
    fs::create_directories(tmp / "pivra-make-mine00");
    std::ofstream(tmp / "pivra-make-mine00/notes.txt") << "keep";
    // A live run, held still while the next one cleans up.
    auto paused = start({head, tail, out("paused.gif"), "--trace", "--scale", "2"});
    ASSERT_TRUE(paused->waitForLines(5));
    paused->signal(SIGSTOP);
    std::set<std::string> live = NamesIn(tmp.str());
    for (const std::string& name : leftover) live.erase(name);
    live.erase("pivra-make-mine00");
    ASSERT_EQ(live.size(), 1u);

    ASSERT_EQ(make({head, tail, out("next.gif"), "--scale", "1"}).exitCode, 0);
    std::set<std::string> expected = live;
    expected.insert("pivra-make-mine00");
    EXPECT_EQ(NamesIn(tmp.str()), expected);

    paused->signal(SIGCONT);
    EXPECT_EQ(paused->finish().exitCode, 0);
    EXPECT_EQ(ReadGifStructure(out("paused.gif")).frames.size(), 50u);
    EXPECT_EQ(NamesIn(tmp.str()), std::set<std::string>{"pivra-make-mine00"});
    EXPECT_TRUE(fs::exists(tmp / "pivra-make-mine00/notes.txt"));
}

}  // namespace
}  // namespace pivra::test
