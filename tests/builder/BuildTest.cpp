// The build against the recording stand-in library: its command sequence,
// progress and state; stopping it; and failures that must stop it cleanly, tell
// the user what and where, and lose nothing that existed before.
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

// Fails to delete or replace one path, as when a file in it is held open, and
// may deny that one output was written, as after a library failure.
class StubbornFileSystem : public FileSystem {
public:
    std::string stuck, unwritten;
    bool FileExists(const std::string& path) const override {
        return path != unwritten && FileSystem::FileExists(path);
    }
    bool MoveFile(const std::string& src, const std::string& dst) override {
        return dst == stuck ? fail("Cannot replace file", dst, "Permission denied") : FileSystem::MoveFile(src, dst);
    }
    bool DeleteFolder(const std::string& path) override {
        return path == stuck ? fail("Cannot remove folder", path, "Device or resource busy")
                             : FileSystem::DeleteFolder(path);
    }
    bool DeleteFile(const std::string& path) override {
        return path == stuck ? fail("Cannot delete file", path, "Permission denied") : FileSystem::DeleteFile(path);
    }
};

class Build : public FakeLibFixture {
protected:
    void SetUp() override {
        FakeLibFixture::SetUp();
        state = PivraState{folder.str() + "/", 192, 16, 208, true, true, "/pics/head.jpg", "/pics/tail.png", false, ""};
        put("Work/pivra.gif", "previous animation");
    }
    std::string at(const std::string& rel) const { return folder / rel; }
    void put(const std::string& rel, const std::string& text) const {
        fs::create_directories(fs::path(at(rel)).parent_path());
        std::ofstream(at(rel)) << text;
    }
    std::string read(const std::string& rel) const { return FileContents(at(rel)); }
    std::vector<CommandLine> golden(const std::string& app) const {
        return GoldenCommandsAtScale16({{"{APP}", app}, {"{INSTALL}", "/install/"}, {"{HEAD}", state.HeadFile}, {"{TAIL}", state.TailFile}});
    }
    void again() {  // a fresh run of the build, as when the user asks again
        controls = RecordingControls();
        notifier.shown.clear();
        state.BuildRequested = true;
    }
    void expectEnded() {  // how every build ends: not asked again, the button back, the bar empty
        EXPECT_FALSE(state.BuildRequested);
        EXPECT_EQ(controls.captions.back(), "CREATE PIVRA");
        EXPECT_EQ(controls.progress(), 0);
    }

    PivraState state;
    RecordingControls controls;
    StubbornFileSystem stubborn;
    ImageCommands stubbornCommands{i_size, stubborn,
                                   ImageLibraryFiles{FAKE_LIB_DIR, "libFakeImageLib.so", "libFakeImageLib.so"}};
    SpinBuilder builder{state, stubborn, stubbornCommands, controls};
};

using BuildPlan = Build;
using BuildStop = Build;
using BuildFailure = Build;

// The commands, and what the build shows meanwhile: the bar counts 149 steps and
// empties, the button says WORKING until the end, the preview waits.
TEST_F(BuildPlan, CommandsAtScaleSixteenAreTheGoldenList) {
    MakeWorkingTemplates(commands, state, "/install/");
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    const std::vector<CommandLine> expected = golden(state.AppStr);
    ASSERT_EQ(calls(), 141);
    for (int i = 0; i < calls(); ++i) {
        EXPECT_EQ(MaskTemporaryName(args(i)), expected.at(static_cast<size_t>(i))) << "command " << i;
        EXPECT_TRUE(call(i).tailIsZero) << "command " << i << " sees a longer one's arguments";
    }
    std::vector<int> progress(149);
    std::iota(progress.begin(), progress.end(), 1);
    progress.push_back(0);
    EXPECT_EQ(controls.progressValues, progress);
    EXPECT_EQ(controls.captions, (std::vector<std::string>{"WORKING", "CREATE PIVRA"}));
    EXPECT_EQ(std::make_pair(controls.yields, controls.timerDisables), std::make_pair(12 + 50, 1));
    EXPECT_EQ(std::make_pair(state.SpinPos, state.BuildRequested), std::make_pair(int16_t(192 + 16), false));
    EXPECT_FALSE(fs::exists(at("Images")) || fs::exists(at("Masks")));
}

// In a working folder too long for the argument rows the same commands name
// their files from there, run there, and every output lands where its full
// path says (a missing one would be retried).
TEST_F(BuildPlan, ALongWorkingFolderGivesTheGoldenListRelativeToIt) {
    state.AppStr = DeepFolder(folder / "long", 150) + "/";
    for (ImageCommands* c : {&commands, &stubbornCommands}) c->setWorkingRoot(state.AppStr);
    fs::create_directories(state.AppStr + "Work");
    MakeWorkingTemplates(commands, state, "/install/");
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    const std::vector<CommandLine> expected = golden("");
    ASSERT_EQ(calls(), 141);
    for (int i = 0; i < calls(); ++i) {
        EXPECT_EQ(MaskTemporaryName(args(i)), expected.at(static_cast<size_t>(i))) << "command " << i;
        EXPECT_EQ(call(i).cwd + "/", state.AppStr) << "command " << i;
    }
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
    ASSERT_EQ(calls(), 153);
    for (int i = 0; i < calls(); ++i) EXPECT_EQ(MaskTemporaryName(args(i)), expected.at(static_cast<size_t>(i))) << "command " << i;
    // The bar keeps its course: the page strips are not counted.
    EXPECT_EQ(controls.progressValues.size(), 150u);
    EXPECT_EQ(controls.progressValues[148], 149);
    EXPECT_EQ(controls.yields, 62);
}

TEST_F(BuildPlan, LeftoversGoFirstAndABuildThatWritesNothingKeepsTheLastAnimation) {
    for (const char* f : {"Images/00099.gif", "Masks/00016M.gif", "Images/.pivra-made", "Masks/.pivra-made"})
        put(f, "stale");
    writeOnCall(0);
    const BuildOutcome outcome = builder.BuildSpin();
    EXPECT_EQ(outcome.result, BuildResult::Failed);
    // The face copies fail: no strip or frame is worth making without them.
    EXPECT_EQ(calls(), 2 * 2);
    EXPECT_EQ(outcome.reason, "the head picture could not be read: /pics/head.jpg: fake failure on \"" +
                                  at("Masks/ImagA.gif") + "\"");
    EXPECT_EQ(read("Work/pivra.gif"), "previous animation");
    EXPECT_FALSE(fs::exists(at("Images")) || fs::exists(at("Masks")));
    expectEnded();
}

// A stop ends the build after the command or yield it is in: no further command,
// no working folders left, the previous animation untouched, nothing shown.
TEST_F(BuildStop, AfterTheNthCommandOrYieldNothingMoreRuns) {
    struct Case { int commands, yields; };
    // Commands 1, 2: the face copies; 3 and 86: inside the first and last strip widths;
    // 87 and 136: the first and last frames (137 is the assembly). Yields 1-12 follow
    // strips of 7 commands, 13-62 follow frames.
    for (const Case& c : {Case{1, 0}, {2, 0}, {3, 0}, {86, 0}, {87, 0}, {136, 0}, {2 + 7, 1}, {2 + 7 * 12, 12},
                          {86 + 1, 13}, {86 + 50, 62}}) {
        SCOPED_TRACE("stop after command " + std::to_string(c.commands) + ", yield " + std::to_string(c.yields));
        writeOnCall(1);
        again();
        if (c.yields) controls.stopWhen = [&] { return controls.yields >= c.yields; };
        else controls.stopWhen = [&] { return calls() >= c.commands; };
        EXPECT_EQ(builder.BuildSpin().result, BuildResult::Stopped);
        EXPECT_EQ(calls(), c.commands);
        if (c.yields) { EXPECT_EQ(controls.yields, c.yields); }
        EXPECT_FALSE(fs::exists(at("Images")) || fs::exists(at("Masks")));
        EXPECT_EQ(read("Work/pivra.gif"), "previous animation");
        EXPECT_EQ(fs::directory_iterator(at("Work"))->path(), at("Work/pivra.gif"));
        EXPECT_TRUE(notifier.shown.empty());
        expectEnded();
    }
    // Never when not asked: asked after each of the 136 commands before the assembly and each of the 62 yields.
    writeOnCall(1);
    again();
    EXPECT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    EXPECT_EQ(controls.stopQuestions, 136 + 62);
    EXPECT_EQ(read("Work/pivra.gif"), "out");
}

TEST_F(BuildFailure, EachEndsCleanlyNamingThePlaceAndKeepingWhatWasThere) {
    const auto swapMasksAtTheEnd = [&] {
        if (controls.yields != 62) return;
        fs::remove_all(at("Masks"));
        put("Masks/notes.txt", "made meanwhile");
    };
    struct Case {
        std::function<void()> arrange;
        BuildResult result;
        std::string named, says, kept, gone;
        int calls;  // -1: any
    };
    const Case cases[] = {
        // A leftover folder that cannot be removed.
        {[&] { put("Masks/.pivra-made", ""); put("Masks/held.gif", "open"); stubborn.stuck = at("Masks"); },
         BuildResult::Failed, at("Masks"), "", "Masks/held.gif", "", 0},
        // Folders without the build's mark are someone else's.
        {[&] { put("Images/holiday.jpg", "the user's own"); },
         BuildResult::Failed, at("Images"), "not made by PIVRA", "Images/holiday.jpg", "", 0},
        {[&] { put("Masks/holiday.jpg", "the user's own"); },
         BuildResult::Failed, at("Masks"), "not made by PIVRA", "Masks/holiday.jpg", "", 0},
        // A file where the frames folder belongs.
        {[&] { put("Images", "not a folder"); }, BuildResult::Failed, at("Images"), "", "Images", "", 0},
        // One strip the library did not write: every frame runs, the assembly does not.
        {[&] { stubborn.unwritten = at("Masks/00016M.gif"); },
         BuildResult::Failed, at("Masks/00016M.gif"), "fake failure", "", "Masks", 136 + 1},
        // The new animation cannot take the old one's place: it is removed, the old one stays.
        {[&] { stubborn.stuck = at("Work/pivra.gif"); }, BuildResult::Failed, at("Work/pivra.gif"), "Permission denied",
         "", "Images", 137},
        // A folder swapped during the build is left at the end; one that cannot be removed is only a warning.
        {[&] { controls.onYield = swapMasksAtTheEnd; }, BuildResult::Finished, at("Masks"), "", "Masks/notes.txt", "Images", -1},
        {[&] { stubborn.stuck = at("Images"); }, BuildResult::Finished, at("Images"), "", "", "Masks", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named + " " + c.kept);
        writeOnCall(1);
        again();
        stubborn.stuck.clear();
        stubborn.unwritten.clear();
        for (const char* name : {"Images", "Masks"}) fs::remove_all(at(name));
        put("Work/pivra.gif", "previous animation");
        c.arrange();
        const BuildOutcome outcome = builder.BuildSpin();
        EXPECT_EQ(outcome.result, c.result);
        if (c.calls >= 0) { EXPECT_EQ(calls(), c.calls); }
        expectEnded();
        const std::string& said = c.result == BuildResult::Failed ? outcome.reason : outcome.warning;
        EXPECT_TRUE(said.find(c.named) != std::string::npos && said.find(c.says) != std::string::npos) << said;
        EXPECT_TRUE(notifier.shown.empty());
        EXPECT_EQ(read("Work/pivra.gif"), c.result == BuildResult::Failed ? "previous animation" : "out");
        for (const auto& e : fs::directory_iterator(at("Work"))) {  // beside the faces a finished build keeps
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name == "pivra.gif" || (c.result == BuildResult::Finished && name.rfind("built-", 0) == 0))
                << "left behind: " << name;
        }
        if (!c.kept.empty()) { EXPECT_TRUE(fs::exists(at(c.kept))); }
        if (!c.gone.empty()) { EXPECT_FALSE(fs::exists(at(c.gone))); }
    }
}

}  // namespace
}  // namespace pivra::test
