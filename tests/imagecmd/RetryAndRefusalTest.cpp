// The existence check with its one identical retry, and commands that are refused.
#include <fstream>
#include <sstream>

#include "FakeLibFixture.h"

namespace pivra::test {
namespace {

class Retry : public FakeLibFixture {};

TEST_F(Retry, OnlyAMissingOutputIsRetriedOnceWithTheSameBlock) {
    writeOnCall(1);
    EXPECT_EQ(commands.RunConvert("/a.jpg", path("o.gif"), i_size, Resize), CommandStatus::Ran);
    EXPECT_EQ(calls(), 1);

    for (int writeOn : {0, 2}) {
        writeOnCall(writeOn);
        std::filesystem::remove(path("o.gif"));
        EXPECT_EQ(commands.RunComposite("/s.gif", path("o.gif"), "/b.gif", MaskWithBase), CommandStatus::Ran);
        ASSERT_EQ(calls(), 2) << "writeOn " << writeOn;
        EXPECT_EQ(args(0), args(1));
        EXPECT_EQ(call(0).argv, call(1).argv);
        EXPECT_EQ(std::filesystem::exists(path("o.gif")), writeOn == 2);
    }
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(commands.lastLibraryError(), "");  // the successful retry wiped the first failure
}

TEST_F(Retry, AnOldOutputIsRemovedFirstSoItNeverPassesForANewOne) {
    std::ofstream(path("old.gif")) << "old";
    writeOnCall(0);
    EXPECT_EQ(commands.RunConvert("/a.jpg", path("old.gif"), 0, TransparentWhite), CommandStatus::Ran);
    EXPECT_EQ(calls(), 2);
    EXPECT_FALSE(std::filesystem::exists(path("old.gif")));
    EXPECT_EQ(commands.missingOutputs(), 1);

    writeOnCall(1);  // written anew on the first call: no retry
    std::ofstream(path("old.gif")) << "old";
    commands.RunConvert("/a.jpg", path("old.gif"), 0, TransparentWhite);
    EXPECT_EQ(calls(), 1);
    EXPECT_EQ(std::filesystem::file_size(path("old.gif")), 3u);  // the stand-in writes "out"

    // A dangling link is removed, never written through.
    writeOnCall(1);
    std::filesystem::create_symlink(path("elsewhere.gif"), path("link.gif"));
    commands.RunConvert("/a.jpg", path("link.gif"), 0, TransparentWhite);
    EXPECT_FALSE(std::filesystem::is_symlink(path("link.gif")));
    EXPECT_FALSE(std::filesystem::exists(path("elsewhere.gif")));
}

TEST_F(Retry, AnOutputThatCannotBeRemovedFailsTheCommandWithoutARun) {
    std::filesystem::create_directories(path("taken.gif/inside"));
    commands.resetMissingOutputs();
    EXPECT_EQ(commands.RunConvert("/a.jpg", path("taken.gif"), 0, TransparentWhite), CommandStatus::StaleOutput);
    EXPECT_EQ(calls(), 0);
    EXPECT_EQ(commands.missingOutputs(), 1);
    EXPECT_EQ(commands.firstMissingOutput().dst, path("taken.gif"));
    EXPECT_NE(commands.firstMissingOutput().reason.find("it is a folder"), std::string::npos)
        << commands.firstMissingOutput().reason;
    EXPECT_TRUE(std::filesystem::exists(path("taken.gif/inside")));
}

TEST_F(Retry, AFailedRetryIsCountedWithTheLibrarysReasonAndTraced) {
    std::ostringstream trace;
    commands.setTrace(&trace);
    writeOnCall(0);
    commands.RunConvert("/a b.jpg", path("o.gif"), 37, Resize);
    const std::string line = "Morphex.dll\t/a b.jpg\t-geometry\t37X192!\t" + path("o.gif") + "\n";
    EXPECT_EQ(trace.str(), line + line);
    EXPECT_EQ(commands.missingOutputs(), 1);
    EXPECT_EQ(commands.firstMissingOutput().dst, path("o.gif"));
    EXPECT_EQ(commands.firstMissingOutput().reason, "fake failure");
}

TEST_F(Retry, NinetyNineByteSourceRunsAHundredIsRefusedAndToldOnce) {
    const std::string fits = "/" + std::string(98, 'f');
    const std::string tooLong = "/" + std::string(99, 'l');
    EXPECT_EQ(commands.RunConvert(fits, path("o.gif"), i_size, Resize), CommandStatus::Ran);
    EXPECT_EQ(args(0)[1], fits);

    EXPECT_EQ(commands.RunConvert(tooLong, path("p.gif"), i_size, Resize), CommandStatus::Refused);
    EXPECT_EQ(commands.RunComposite(tooLong, path("q.gif"), path("b.gif"), CenterOnBase), CommandStatus::Refused);
    EXPECT_EQ(calls(), 1);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find(tooLong), std::string::npos);
    EXPECT_EQ(notifier.shown[0].title, "PIVRA");

    commands.rearmNotices();
    commands.RunConvert(path("o.gif"), tooLong, 0, TransparentWhite);
    EXPECT_EQ(notifier.shown.size(), 2u);
}

TEST(MissingLibrary, CountsAsFailedAndIsNamedOnce) {
    struct Case { ImageLibraryFiles files; const char* named; };
    // libc is a real library without our entry points.
    for (const Case& c : {Case{{"/nonexistent", "libNoSuchMorphex.so", "libNoSuchLayerik.so"}, "libNoSuchMorphex.so"},
                          Case{{"", "libc.so.6", "libc.so.6"}, "fnMorphex"}}) {
        RecordingNotifier notifier;
        FileSystem fso;
        int16_t i_size = 192;
        ImageCommands commands(i_size, fso, c.files);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(commands.RunConvert("/a.jpg", "/tmp/pivra-never.gif", i_size, Resize),
                      CommandStatus::LibraryUnavailable);
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_NE(notifier.shown[0].prompt.find(c.named), std::string::npos) << notifier.shown[0].prompt;
    }
}

}  // namespace
}  // namespace pivra::test
