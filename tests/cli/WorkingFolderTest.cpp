// The working folder: stale files never pass for new ones, two runs never share
// one, and killed runs' folders go with the next run while live ones stay.
#include <signal.h>

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
    // pivra-make beside stand-in libraries that fail the commands on the inputs named below.
    TempFolder bin{"make-failing"};
    fs::copy_file(kMake, bin / "pivra-make");
    for (const char* f : {"pre_mask.bmp", "pre_mask.mif", "pre_white.mif", "pre_black.bmp"})
        fs::copy_file(std::string(PIVRA_BIN_DIR) + "/" + f, bin / f);
    for (const char* f : {"libMorphex.so", "libLayerik.so"}) fs::copy_file(std::string(FAILING_LIB_DIR) + "/" + f, bin / f);

    ASSERT_EQ(make({head, tail, out("eight.gif"), "--workdir", work, "--scale", "8"}).exitCode, 0);
    // The scale-8 templates stay in Work; temp1.gif is written before the head strip that fails to overwrite it.
    for (const auto& [failingInputs, named] : {std::pair{"pre_mask.mif:pre_white.mif", "Work/mask.mif"},
                                               {"Masks/ImagA.gif", "Masks/temp1.gif"}}) {
        SCOPED_TRACE(failingInputs);
        const ProcessResult r = RunProcess({bin / "pivra-make", head, tail, out("sixteen.gif"), "--workdir", work},
                                           {"TMPDIR=" + tmp.str(), std::string("PIVRA_TEST_FAILING_INPUTS=") + failingInputs});
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(work + "/" + named), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out("sixteen.gif")));
        EXPECT_FALSE(fs::exists(work + "/Images"));
    }
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
    EXPECT_EQ(std::make_pair(info.frames.size(), info.screenWidth), std::make_pair(size_t{50}, 48));
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
    Write(tmp / "pivra-make-mine00/notes.txt", "keep");
    // A live run, held still while the next one cleans up.
    auto paused = start({head, tail, out("paused.gif"), "--trace", "--scale", "2"});
    ASSERT_TRUE(paused->waitForLines(5));
    paused->signal(SIGSTOP);
    std::set<std::string> kept = NamesIn(tmp.str());
    kept.erase(*leftover.begin());
    ASSERT_EQ(kept.size(), 2u);  // the live run's and mine00

    ASSERT_EQ(make({head, tail, out("next.gif"), "--scale", "1"}).exitCode, 0);
    EXPECT_EQ(NamesIn(tmp.str()), kept);
    paused->signal(SIGCONT);
    EXPECT_EQ(paused->finish().exitCode, 0);
    EXPECT_EQ(ReadGifStructure(out("paused.gif")).frames.size(), 50u);
    EXPECT_EQ(NamesIn(tmp.str()), std::set<std::string>{"pivra-make-mine00"});
    EXPECT_TRUE(fs::exists(tmp / "pivra-make-mine00/notes.txt"));
}

}  // namespace
}  // namespace pivra::test
