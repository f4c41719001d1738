// The build against the recording stand-in library: its command vectors against
// the golden list, and failures that must keep the last animation and say what failed.
#include <algorithm>
#include <fstream>
#include <numeric>

#include "RecordingControls.h"
#include "builder/SpinBuilder.h"
#include "builder/WorkingTemplates.h"
#include "imagecmd/FakeLibFixture.h"
#include "support/DeepFolder.h"
#include "support/FileContents.h"
#include "support/GoldenCommands.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

// Refuses to replace one path, as when it is held open, and may deny that one
// output was written, as after a library failure.
class StubbornFileSystem : public FileSystem {
public:
    std::string stuck, unwritten;
    bool FileExists(const std::string& path) const override { return path != unwritten && FileSystem::FileExists(path); }
    bool MoveFile(const std::string& src, const std::string& dst) override {
        return dst == stuck ? fail("Cannot replace file", dst, "Permission denied") : FileSystem::MoveFile(src, dst);
    }
};

class Build : public FakeLibFixture {
protected:
    void SetUp() override {
        FakeLibFixture::SetUp();
        // The stand-in records the calls in the order they come: one thread keeps the build's.
        ::setenv("PIVRA_THREADS", "1", 1);
        state = PivraState{folder.str() + "/", 192, 16, 208, true, true, "/pics/head.jpg", "/pics/tail.png", false, ""};
        fs::create_directories(at("Work"));
        std::ofstream(at("Work/pivra.gif")) << "previous animation";
    }
    void TearDown() override {
        ::unsetenv("PIVRA_THREADS");
        FakeLibFixture::TearDown();
    }
    std::string at(const std::string& rel) const { return folder / rel; }
    std::vector<CommandLine> golden(const std::string& app) const {
        return GoldenCommandsAtScale16({{"{APP}", app}, {"{INSTALL}", "/install/"}, {"{HEAD}", state.HeadFile}, {"{TAIL}", state.TailFile}});
    }
    void expectCommands(const std::vector<CommandLine>& expected) {
        ASSERT_EQ(calls(), static_cast<int>(expected.size()));
        for (int i = 0; i < calls(); ++i) {
            EXPECT_EQ(MaskTemporaryName(args(i)), expected[static_cast<size_t>(i)]) << "command " << i;
            EXPECT_TRUE(call(i).tailIsZero) << "command " << i << " sees a longer one's arguments";
        }
    }

    PivraState state;
    RecordingControls controls;
    StubbornFileSystem stubborn;
    ImageCommands stubbornCommands{i_size, stubborn,
                                   ImageLibraryFiles{FAKE_LIB_DIR, "libFakeImageLib.so", "libFakeImageLib.so"}};
    SpinBuilder builder{state, stubborn, stubbornCommands, controls};
};

using BuildPlan = Build;
using BuildFailure = Build;

// The commands, and what the build shows meanwhile: the bar counts 149 steps and
// empties, the button says WORKING until the end, the preview waits.
TEST_F(BuildPlan, CommandsAtScaleSixteenAreTheGoldenList) {
    MakeWorkingTemplates(commands, state, "/install/");
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    expectCommands(golden(state.AppStr));
    std::vector<int> progress(149);
    std::iota(progress.begin(), progress.end(), 1);
    progress.push_back(0);
    EXPECT_EQ(controls.progressValues, progress);
    EXPECT_EQ(controls.captions, (std::vector<std::string>{"WORKING", "CREATE PIVRA"}));
    EXPECT_EQ(std::make_pair(controls.yields, controls.timerDisables), std::make_pair(12 + 50, 1));
    EXPECT_EQ(std::make_pair(state.SpinPos, state.BuildRequested), std::make_pair(int16_t(192 + 16), false));
    EXPECT_FALSE(fs::exists(at("Images")) || fs::exists(at("Masks")));

    // On two threads the same calls, in an order of their own; the bar and the yields as they were.
    std::vector<CommandLine> oneThread;
    for (int i = 0; i < calls(); ++i) oneThread.push_back(args(i));
    reset();
    controls = RecordingControls();
    state.BuildRequested = true;
    ::setenv("PIVRA_THREADS", "2", 1);
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    std::vector<CommandLine> twoThreads;
    for (int i = 0; i < calls(); ++i) twoThreads.push_back(args(i));
    std::sort(oneThread.begin() + 4, oneThread.end() - 1);
    std::sort(twoThreads.begin(), twoThreads.end() - 1);
    EXPECT_EQ(MaskTemporaryName(twoThreads.back()), MaskTemporaryName(oneThread.back())) << "the assembly comes last";
    twoThreads.pop_back(), oneThread.pop_back();
    EXPECT_EQ(twoThreads, std::vector<CommandLine>(oneThread.begin() + 4, oneThread.end()));
    EXPECT_EQ(controls.progressValues, progress);
    EXPECT_EQ(std::make_pair(controls.yields, controls.timerDisables), std::make_pair(12 + 50, 1));
}

// In a working folder too long for the argument rows the same commands name
// their files from there, run there, and every output lands where its full path says.
TEST_F(BuildPlan, ALongWorkingFolderGivesTheGoldenListRelativeToIt) {
    state.AppStr = DeepFolder(folder / "long", 150) + "/";
    for (ImageCommands* c : {&commands, &stubbornCommands}) c->setWorkingRoot(state.AppStr);
    fs::create_directories(state.AppStr + "Work");
    MakeWorkingTemplates(commands, state, "/install/");
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    expectCommands(golden(""));
    for (int i = 0; i < calls(); ++i) EXPECT_EQ(call(i).cwd + "/", state.AppStr) << "command " << i;
    EXPECT_EQ(FileContents(state.AppStr + "Work/pivra.gif"), "out");
}

// With a page colour each width gains its mask strip in that colour, and every
// frame lies on it through the mask strip; the rest is the golden list as it is.
TEST_F(BuildPlan, PageColourAddsAPageStripPerWidthAndLaysTheFramesOnIt) {
    std::vector<CommandLine> expected;
    // "…/Masks/00016M.gif" -> "…/Masks/00016P.gif"
    const auto page = [](const std::string& strip) { return strip.substr(0, strip.size() - 5) + "P.gif"; };
    for (CommandLine line : golden(state.AppStr)) {
        const std::string& out = line.back();
        if (line[0] == "Layerik.dll" && line.size() == 5 && out.find("/Images/") != std::string::npos)
            line[2] = page(line[3]);  // src, page strip, mask strip, frame
        expected.push_back(line);
        if (line[0] == "Morphex.dll" && line.size() == 5 && line[2] == "-transparent" && out.find("/Masks/0") != std::string::npos)
            expected.push_back({"Morphex.dll", out, "-fill", "#102030", "-colorize", "100", page(out)});
    }
    ASSERT_EQ(expected.size(), 141u + 12u);
    state.PageColour = "#102030";
    MakeWorkingTemplates(commands, state, "/install/");
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    expectCommands(expected);
    EXPECT_EQ(controls.progressValues.size(), 150u) << "the page strips are not counted";
}

// A strip the library did not write stops the build before the assembly; a new
// animation that cannot take the old one's place is removed. Either way the old one
// stays, nothing is left in Work and the reason names the file.
TEST_F(BuildFailure, AStripOrTheRenameFailingKeepsTheLastAnimationAndNamesTheFile) {
    struct Case { std::string unwritten, stuck, says; int calls; };
    const Case cases[] = {{at("Masks/00016M.gif"), "", "failed", 136 + 1},
                          {"", at("Work/pivra.gif"), "Permission denied", 137}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        reset();
        controls = RecordingControls();
        state.BuildRequested = true;
        stubborn.unwritten = c.unwritten;
        stubborn.stuck = c.stuck;
        const BuildOutcome outcome = builder.BuildSpin();
        EXPECT_EQ(outcome.result, BuildResult::Failed);
        EXPECT_EQ(calls(), c.calls);
        const std::string& named = c.unwritten.empty() ? c.stuck : c.unwritten;
        EXPECT_TRUE(outcome.reason.find(named) != std::string::npos && outcome.reason.find(c.says) != std::string::npos)
            << outcome.reason;
        EXPECT_FALSE(state.BuildRequested);
        EXPECT_EQ(std::make_pair(controls.captions.back(), controls.progress()), std::make_pair(std::string("CREATE PIVRA"), 0));
        EXPECT_TRUE(notifier.shown.empty());
        EXPECT_EQ(FileContents(at("Work/pivra.gif")), "previous animation");
        EXPECT_FALSE(fs::exists(at("Images")) || fs::exists(at("Masks")));
        EXPECT_EQ(fs::directory_iterator(at("Work"))->path(), at("Work/pivra.gif"));
        EXPECT_EQ(std::next(fs::directory_iterator(at("Work"))), fs::directory_iterator());
    }
}

}  // namespace
}  // namespace pivra::test
