// The build's command sequence, progress and state, run against the
// recording stand-in library.
#include <fstream>

#include "RecordingControls.h"
#include "builder/SpinBuilder.h"
#include "builder/WorkingTemplates.h"
#include "imagecmd/FakeLibFixture.h"
#include "support/GoldenCommands.h"

namespace pivra::test {
namespace {

class BuildPlan : public FakeLibFixture {
protected:
    void SetUp() override {
        FakeLibFixture::SetUp();
        state.AppStr = folder.str() + "/";
        std::filesystem::create_directories(at("Work"));
        state.HeadFile = "/pics/head.jpg";
        state.TailFile = "/pics/tail.png";
        state.BuildRequested = true;
        i_size = state.i_size = 192;
        state.SpinStep = 16;
        state.SpinPos = 208;
    }
    std::string at(const std::string& rel) const { return state.AppStr + rel; }

    PivraState state;
    RecordingControls controls;
    SpinBuilder builder{state, fso, commands, controls};
};

TEST_F(BuildPlan, CommandsAtScaleSixteenAreTheGoldenList) {
    MakeWorkingTemplates(commands, state, "/install/");
    ASSERT_EQ(builder.BuildSpin(), BuildResult::Finished);
    const std::vector<CommandLine> golden = GoldenCommandsAtScale16(
        {{"{APP}", state.AppStr}, {"{INSTALL}", "/install/"}, {"{HEAD}", state.HeadFile}, {"{TAIL}", state.TailFile}});
    ASSERT_EQ(golden.size(), 141u);
    ASSERT_EQ(calls(), 141);
    for (int i = 0; i < calls(); ++i) EXPECT_EQ(args(i), golden[static_cast<size_t>(i)]) << "command " << i;
}

TEST_F(BuildPlan, ProgressCaptionsYieldsAndStateAfterwards) {
    for (bool showHead : {true, false}) {
        controls = RecordingControls();
        state.ShowHead = showHead;
        state.BuildRequested = true;
        ASSERT_EQ(builder.BuildSpin(), BuildResult::Finished);
        std::vector<int> expected;
        for (int v = 1; v <= 149; ++v) expected.push_back(v);
        expected.push_back(0);
        EXPECT_EQ(controls.progressValues, expected);
        EXPECT_EQ(controls.captions, (std::vector<std::string>{"WORKING", "CREATE PIVRA"}));
        EXPECT_EQ(controls.yields, 12 + 50);
        EXPECT_EQ(controls.timerDisables, 1);
        EXPECT_EQ(state.SpinPos, 192 + 16);
        EXPECT_EQ(state.ShowHead, showHead);
        EXPECT_FALSE(state.BuildRequested);
        EXPECT_FALSE(std::filesystem::exists(at("Images")));
        EXPECT_FALSE(std::filesystem::exists(at("Masks")));
    }
}

TEST_F(BuildPlan, MissingPictureHintMeansNothingIsTouched) {
    controls.hint = true;
    std::filesystem::create_directories(at("Images"));
    std::ofstream(at("Images/old.gif")) << "x";
    EXPECT_EQ(builder.BuildSpin(), BuildResult::Skipped);
    EXPECT_EQ(calls(), 0);
    EXPECT_TRUE(controls.captions.empty() && controls.progressValues.empty());
    EXPECT_TRUE(state.BuildRequested);
    EXPECT_TRUE(std::filesystem::exists(at("Images/old.gif")));
}

TEST_F(BuildPlan, LeftoversGoFirstAndAnOldAnimationGoesEvenWhenNothingIsWritten) {
    for (const char* f : {"Images/00099.gif", "Masks/00016M.gif", "Images/.pivra-made", "Masks/.pivra-made"}) {
        std::filesystem::create_directories(std::filesystem::path(at(f)).parent_path());
        std::ofstream(at(f)) << "stale";
    }
    std::ofstream(at("Work/pivra.gif")) << "old";
    bool checked = false;
    controls.onYield = [&] {
        if (checked) return;
        checked = true;
        EXPECT_FALSE(std::filesystem::exists(at("Images/00099.gif")));
        EXPECT_FALSE(std::filesystem::exists(at("Masks/00016M.gif")));  // nothing writes in this run
    };
    writeOnCall(0);
    EXPECT_EQ(builder.BuildSpin(), BuildResult::Finished);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(std::filesystem::exists(at("Work/pivra.gif")));
    EXPECT_EQ(calls(), 2 * 137);  // every command retried once
}

}  // namespace
}  // namespace pivra::test
