// Interrupts: a stopped run removes its private working folder and anything
// half-written and exits with 128 + the signal; a closed trace pipe stops it too.
#include <signal.h>

#include "PivraMakeFixture.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

using Signals = PivraMakeTest;

TEST_F(Signals, EachStopSignalCleansUpAndExitsWithItsCode) {
    // Trace lines: 3 is a template, 60 a strip, 120 a frame, 141 the assembly (the
    // output is then whole or absent).
    for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        for (int line : {3, 60, 120, 141}) {
            SCOPED_TRACE(std::to_string(signal) + " at trace line " + std::to_string(line));
            auto run = start({head, tail, dir / "out.gif", "--trace"});
            ASSERT_TRUE(run->waitForLines(line));
            run->signal(signal);
            const ProcessResult r = run->finish();
            EXPECT_EQ(r.exitCode, exitCode) << r.err;
            EXPECT_TRUE(fs::is_empty(tmp.str())) << "private working folder left behind";
            if (fs::exists(dir / "out.gif")) {
                EXPECT_EQ(line, 141);
                EXPECT_EQ(ReadGifStructure(dir / "out.gif").frames.size(), 50u);
                fs::remove(dir / "out.gif");
            }
            expectNothingElseIn();
        }
    }
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

}  // namespace
}  // namespace pivra::test
