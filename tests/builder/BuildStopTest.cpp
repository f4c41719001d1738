// A build asked to stop ends after the command or yield it is in: no further
// command, no working folders left, the previous animation untouched.
#include <fstream>
#include <sstream>

#include "RecordingControls.h"
#include "builder/SpinBuilder.h"
#include "imagecmd/FakeLibFixture.h"

namespace pivra::test {
namespace {

class BuildStop : public FakeLibFixture {
protected:
    void SetUp() override {
        FakeLibFixture::SetUp();
        state.AppStr = folder.str() + "/";
        std::filesystem::create_directories(at("Work"));
        std::ofstream(at("Work/pivra.gif")) << "previous animation";
        state.HeadFile = "/pics/head.jpg";
        state.TailFile = "/pics/tail.jpg";
        state.BuildRequested = true;
    }
    std::string at(const std::string& rel) const { return state.AppStr + rel; }
    std::string read(const std::string& rel) const {
        std::ifstream in(at(rel));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void expectStoppedCleanly() {
        EXPECT_FALSE(std::filesystem::exists(at("Images")));
        EXPECT_FALSE(std::filesystem::exists(at("Masks")));
        EXPECT_EQ(read("Work/pivra.gif"), "previous animation");
        EXPECT_FALSE(state.BuildRequested);
        EXPECT_EQ(controls.captions.back(), "CREATE PIVRA");
        EXPECT_EQ(controls.progress(), 0);
        EXPECT_TRUE(notifier.shown.empty());
    }

    PivraState state;
    RecordingControls controls;
    SpinBuilder builder{state, fso, commands, controls};
};

TEST_F(BuildStop, AfterTheNthCommandNothingMoreRuns) {
    // 1, 2: the face copies; 3 and 86: inside the first and last strip widths;
    // 87 and 136: the first and last frames (137 is the assembly).
    for (int n : {1, 2, 3, 86, 87, 136}) {
        SCOPED_TRACE("stop after command " + std::to_string(n));
        writeOnCall(1);
        controls = RecordingControls();
        state.BuildRequested = true;
        controls.stopWhen = [&] { return calls() >= n; };
        EXPECT_EQ(builder.BuildSpin(), BuildResult::Stopped);
        EXPECT_EQ(calls(), n);
        expectStoppedCleanly();
    }
}

TEST_F(BuildStop, AtAYieldAndNeverWhenNotAsked) {
    for (int y : {1, 12, 13, 62}) {
        SCOPED_TRACE("stop at yield " + std::to_string(y));
        writeOnCall(1);
        controls = RecordingControls();
        state.BuildRequested = true;
        controls.stopWhen = [&] { return controls.yields >= y; };
        EXPECT_EQ(builder.BuildSpin(), BuildResult::Stopped);
        EXPECT_EQ(controls.yields, y);
        EXPECT_EQ(calls(), y <= 12 ? 2 + 7 * y : 86 + (y - 12));
        expectStoppedCleanly();
    }
    // Asked after each of the 136 commands before the assembly and each of the 62 yields.
    writeOnCall(1);
    controls = RecordingControls();
    EXPECT_EQ(builder.BuildSpin(), BuildResult::Finished);
    EXPECT_EQ(controls.stopQuestions, 136 + 62);
    EXPECT_EQ(read("Work/pivra.gif"), "out");
}

}  // namespace
}  // namespace pivra::test
