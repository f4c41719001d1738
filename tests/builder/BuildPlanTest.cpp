// The build's command sequence, progress and state, run against the
// recording stand-in library.
#include <fstream>

#include "RecordingControls.h"
#include "builder/SpinBuilder.h"
#include "builder/ZeroPad.h"
#include "imagecmd/FakeLibFixture.h"

namespace pivra::test {
namespace {

using Args = std::vector<std::string>;

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

TEST_F(BuildPlan, CommandsAtScaleSixteenWrittenOut) {
    ASSERT_EQ(builder.BuildSpin(), BuildResult::Finished);
    ASSERT_EQ(calls(), 137);
    const std::string L = "Layerik.dll", M = "Morphex.dll";
    const std::string white = at("Work/white.mif"), temp1 = at("Masks/temp1.gif"), temp2 = at("Masks/temp2.gif");
    EXPECT_EQ(args(0), (Args{M, "/pics/head.jpg", "-geometry", "192X192!", at("Masks/ImagA.gif")}));
    EXPECT_EQ(args(1), (Args{M, "/pics/tail.png", "-geometry", "192X192!", at("Masks/ImagB.gif")}));
    // The first strip width, 16.
    EXPECT_EQ(args(2), (Args{M, at("Work/mask.mif"), "-geometry", "16X192!", "-negate", temp1}));
    EXPECT_EQ(args(3), (Args{L, temp1, "-gravity", "center", white, temp2}));
    EXPECT_EQ(args(4), (Args{M, temp2, "-transparent", "white", at("Masks/00016M.gif")}));
    EXPECT_EQ(args(5), (Args{M, at("Masks/ImagA.gif"), "-geometry", "16X192!", temp1}));
    EXPECT_EQ(args(6), (Args{L, temp1, "-gravity", "center", white, at("Masks/00016A.gif")}));
    EXPECT_EQ(args(7), (Args{M, at("Masks/ImagB.gif"), "-geometry", "16X192!", temp1}));
    EXPECT_EQ(args(8), (Args{L, temp1, "-gravity", "center", white, at("Masks/00016B.gif")}));
    // The last strip width, 192.
    EXPECT_EQ(args(79), (Args{M, at("Work/mask.mif"), "-geometry", "192X192!", "-negate", temp1}));
    EXPECT_EQ(args(85), (Args{L, temp1, "-gravity", "center", white, at("Masks/00192B.gif")}));
    // Frames start at command 86.
    auto frame = [&](const char* face, int w, int n) {
        const std::string strip = "Masks/" + ZeroPad(w, 5);
        return Args{L, at(strip + face + ".gif"), at(strip + "M.gif"), at(strip + "M.gif"),
                    at("Images/" + ZeroPad(n, 5) + ".gif")};
    };
    EXPECT_EQ(args(86 + 0), frame("B", 192, 0));
    EXPECT_EQ(args(86 + 11), frame("B", 16, 11));
    EXPECT_EQ(args(86 + 12), (Args{M, white, "-transparent", "white", at("Images/00012.gif")}));
    EXPECT_EQ(args(86 + 13), frame("A", 16, 13));
    EXPECT_EQ(args(86 + 24), frame("A", 192, 24));
    EXPECT_EQ(args(86 + 25), frame("A", 192, 25));
    EXPECT_EQ(args(86 + 36), frame("A", 16, 36));
    EXPECT_EQ(args(86 + 37), (Args{M, white, "-transparent", "white", at("Images/00037.gif")}));
    EXPECT_EQ(args(86 + 38), frame("B", 16, 38));
    EXPECT_EQ(args(86 + 49), frame("B", 192, 49));
    EXPECT_EQ(args(136), (Args{M, at("Images/*.gif"), "-compress", "LZW", "-delay", "6", "-dispose",
                               "background", "-loop", "0", at("Work/pivra.gif")}));
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
