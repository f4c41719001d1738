// Interrupts: a stopped run removes its private working folder and anything
// half-written, and exits with 128 + the signal; a closed trace pipe stops
// it too.
#include <signal.h>

#include <fstream>
#include <sstream>

#include "PivraMakeFixture.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

using Signals = PivraMakeTest;

TEST_F(Signals, EachStopSignalCleansUpAndExitsWithItsCode) {
    struct Case { int signal; int exitCode; };
    // Trace lines: 3 is a template, 60 a strip, 120 a frame.
    for (const Case& c : {Case{SIGINT, 130}, Case{SIGTERM, 143}, Case{SIGHUP, 129}}) {
        for (int line : {3, 60, 120}) {
            SCOPED_TRACE(std::to_string(c.signal) + " at trace line " + std::to_string(line));
            auto run = start({head, tail, dir / "out.gif", "--trace"});
            ASSERT_TRUE(run->waitForLines(line));
            run->signal(c.signal);
            const ProcessResult r = run->finish();
            EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
            EXPECT_TRUE(fs::is_empty(tmp.str())) << "private working folder left behind";
            expectNothingElseIn();
        }
    }
}

TEST_F(Signals, AStoppedRunInAWorkdirKeepsTheLastAnimation) {
    TempFolder place{"make-work"};
    const std::string work = place / "work";
    ASSERT_EQ(make({head, tail, dir / "first.gif", "--workdir", work, "--scale", "2"}).exitCode, 0);
    std::ifstream before(work + "/Work/pivra.gif", std::ios::binary);
    std::stringstream lastAnimation;
    lastAnimation << before.rdbuf();

    auto run = start({head, tail, dir / "second.gif", "--workdir", work, "--trace"});
    ASSERT_TRUE(run->waitForLines(100));
    run->signal(SIGTERM);
    EXPECT_EQ(run->finish().exitCode, 143);
    EXPECT_FALSE(fs::exists(work + "/Images"));
    EXPECT_FALSE(fs::exists(work + "/Masks"));
    std::ifstream after(work + "/Work/pivra.gif", std::ios::binary);
    std::stringstream kept;
    kept << after.rdbuf();
    EXPECT_EQ(kept.str(), lastAnimation.str());
    expectNothingElseIn({"first.gif"});
}

TEST_F(Signals, AClosedTracePipeStopsTheRun) {
    const std::string script = "'" + kMake + "' '" + head + "' '" + tail + "' '" + (dir / "out.gif") +
                               "' --trace | head -n 2 > /dev/null; echo \"${PIPESTATUS[0]}\"";
    const ProcessResult r = RunProcess({"/bin/bash", "-c", script}, env());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out, "0\n");
    EXPECT_NE(r.out, "");
    EXPECT_TRUE(fs::is_empty(tmp.str()));
    expectNothingElseIn();
}

TEST_F(Signals, AStopAtTheLastStepLeavesTheOutputWholeOrAbsent) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto run = start({head, tail, dir / "out.gif", "--trace"});
        ASSERT_TRUE(run->waitForLines(141));  // the assembly has begun
        run->signal(SIGTERM);
        const ProcessResult r = run->finish();
        EXPECT_EQ(r.exitCode, 143) << r.err;
        EXPECT_TRUE(fs::is_empty(tmp.str()));
        if (fs::exists(dir / "out.gif")) {
            EXPECT_EQ(ReadGifStructure(dir / "out.gif").frames.size(), 50u);
            expectNothingElseIn({"out.gif"});
            fs::remove(dir / "out.gif");
        } else {
            expectNothingElseIn();
        }
    }
}

}  // namespace
}  // namespace pivra::test
