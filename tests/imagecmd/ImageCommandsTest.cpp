// The bridge against a recording stand-in library: unplanned argument vectors, the
// one identical retry of a missing output, and refused commands.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeLibFixture.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class ImageCmd : public FakeLibFixture {
protected:
    // The vector of the call just made; entries past argc must be null.
    Args last() {
        EXPECT_TRUE(call(calls() - 1).tailIsZero);
        return call(calls() - 1).args;
    }
};

// The vectors of every planned mode are checked against the golden command list (builder tests);
// here what the plan never asks for.
TEST_F(ImageCmd, UnplannedModesGiveBareVectorsAndTheGeometryFollowsTheFaceSize) {
    const std::string dst = path("out.gif");
    for (int16_t mode : {int16_t(4), int16_t(-1)}) {
        commands.RunConvert("/in/src.jpg", dst, 5, mode);
        EXPECT_EQ(last(), (Args{"Morphex.dll", "/in/src.jpg", dst})) << mode;
    }
    for (int16_t mode : {int16_t(2), int16_t(-1)}) {
        commands.RunComposite("/m/temp1.gif", dst, "/w/white.mif", mode);
        EXPECT_EQ(last(), (Args{"Layerik.dll", "/m/temp1.gif", "/w/white.mif", "/w/white.mif", dst})) << mode;
    }
    i_size = 12;
    commands.RunConvert("/in/src.jpg", dst, 1, ResizeNegate);
    EXPECT_EQ(last(), (Args{"Morphex.dll", "/in/src.jpg", "-geometry", "1X12!", "-negate", dst}));
}

TEST_F(ImageCmd, OnlyAMissingOutputIsRetriedOnceWithTheSameBlock) {
    EXPECT_EQ(commands.RunConvert("/a.jpg", path("o.gif"), i_size, Resize), CommandStatus::Ran);
    EXPECT_EQ(calls(), 1);
    for (int writeOn : {0, 2}) {
        writeOnCall(writeOn);
        fs::remove(path("o.gif"));
        EXPECT_EQ(commands.RunComposite("/s.gif", path("o.gif"), "/b.gif", MaskWithBase), CommandStatus::Ran);
        ASSERT_EQ(calls(), 2) << "writeOn " << writeOn;
        EXPECT_EQ(call(0).args, call(1).args);
        EXPECT_EQ(call(0).argv, call(1).argv);
        EXPECT_EQ(fs::exists(path("o.gif")), writeOn == 2);
    }
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(commands.lastLibraryError(), "");  // the successful retry wiped the first failure
}

TEST_F(ImageCmd, AnOldOutputIsRemovedFirstAndAFailedRetryIsCountedAndTraced) {
    std::ostringstream trace;
    commands.setTrace(&trace);
    std::ofstream(path("old.gif")) << "old";
    writeOnCall(0);
    EXPECT_EQ(commands.RunConvert("/a b.jpg", path("old.gif"), 37, Resize), CommandStatus::Ran);
    EXPECT_EQ(calls(), 2);
    EXPECT_FALSE(fs::exists(path("old.gif")));
    const std::string line = "Morphex.dll\t/a b.jpg\t-geometry\t37X192!\t" + path("old.gif") + "\n";
    EXPECT_EQ(trace.str(), line + line);
    EXPECT_EQ(commands.missingOutputs(), 1);
    EXPECT_EQ(commands.firstMissingOutput().dst + ": " + commands.firstMissingOutput().reason, path("old.gif") + ": fake failure");
    commands.setTrace(nullptr);

    writeOnCall(1);  // written anew on the first call: no retry
    std::ofstream(path("old.gif")) << "old";
    commands.RunConvert("/a.jpg", path("old.gif"), 0, TransparentWhite);
    EXPECT_EQ(calls(), 1);
    EXPECT_EQ(fs::file_size(path("old.gif")), 3u);  // the stand-in writes "out"

    writeOnCall(1);  // a dangling link is removed, never written through
    fs::create_symlink(path("elsewhere.gif"), path("link.gif"));
    commands.RunConvert("/a.jpg", path("link.gif"), 0, TransparentWhite);
    EXPECT_FALSE(fs::is_symlink(path("link.gif")) || fs::exists(path("elsewhere.gif")));
}

TEST_F(ImageCmd, AnOutputThatCannotBeRemovedFailsTheCommandWithoutARun) {
    fs::create_directories(path("taken.gif/inside"));
    commands.resetMissingOutputs();
    EXPECT_EQ(commands.RunConvert("/a.jpg", path("taken.gif"), 0, TransparentWhite), CommandStatus::StaleOutput);
    EXPECT_EQ(calls(), 0);
    EXPECT_EQ(commands.missingOutputs(), 1);
    EXPECT_EQ(commands.firstMissingOutput().dst, path("taken.gif"));
    EXPECT_NE(commands.firstMissingOutput().reason.find("it is a folder"), std::string::npos);
    EXPECT_TRUE(fs::exists(path("taken.gif/inside")));
}

// Nothing is shown from the bridge: the reason goes with the missing output.
TEST_F(ImageCmd, NinetyNineByteSourceRunsAHundredIsRefusedWithItsReason) {
    const std::string fits = "/" + std::string(98, 'f'), tooLong = "/" + std::string(99, 'l');
    commands.resetMissingOutputs();
    EXPECT_EQ(commands.RunConvert(fits, path("o.gif"), i_size, Resize), CommandStatus::Ran);
    EXPECT_EQ(commands.RunConvert(tooLong, path("p.gif"), i_size, Resize), CommandStatus::Refused);
    EXPECT_EQ(commands.RunComposite(tooLong, path("q.gif"), path("b.gif"), CenterOnBase), CommandStatus::Refused);
    EXPECT_EQ(calls(), 1);
    EXPECT_EQ(commands.missingOutputs(), 2);
    EXPECT_EQ(commands.firstMissingOutput().dst, path("p.gif"));
    EXPECT_NE(commands.firstMissingOutput().reason.find(tooLong), std::string::npos);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST(MissingLibrary, CountsAsFailedAndIsNamedInTheReason) {
    struct Case { ImageLibraryFiles files; const char* named; };
    // libc is a real library without our entry points.
    for (const Case& c : {Case{{"/nonexistent", "libNoSuchMorphex.so", "libNoSuchLayerik.so"}, "libNoSuchMorphex.so"},
                          Case{{"", "libc.so.6", "libc.so.6"}, "fnMorphex"}}) {
        RecordingNotifier notifier;
        FileSystem fso;
        int16_t i_size = 192;
        ImageCommands commands(i_size, fso, c.files);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(commands.RunConvert("/a.jpg", "/tmp/pivra-never.gif", i_size, Resize), CommandStatus::LibraryUnavailable);
        EXPECT_EQ(commands.missingOutputs(), 2);
        EXPECT_NE(commands.firstMissingOutput().reason.find(c.named), std::string::npos) << commands.firstMissingOutput().reason;
        EXPECT_TRUE(notifier.shown.empty());
    }
}

}  // namespace
}  // namespace pivra::test
