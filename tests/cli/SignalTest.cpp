// Interrupted runs: a stopped run removes its private working folder and anything
// half-written and exits with 128 + the signal; a killed run's folder goes with the
// next run, while a live run's and a folder that is no run's stay.
#include <signal.h>

#include "PivraMakeFixture.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

using Signals = PivraMakeTest;

TEST_F(Signals, EachStopSignalCleansUpAndExitsWithItsCode) {
    // Trace lines: 3 is a template, 60 a strip, 120 a frame, 141 the assembly (the
    // output is then whole or absent, and the run may have ended before the signal came).
    for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        for (int line : {3, 60, 120, 141}) {
            SCOPED_TRACE(std::to_string(signal) + " at trace line " + std::to_string(line));
            auto run = start({head, tail, dir / "out.gif", "--trace"});
            ASSERT_TRUE(run->waitForLines(line));
            run->signal(signal);
            const ProcessResult r = run->finish();
            EXPECT_TRUE(r.exitCode == exitCode || (line == 141 && r.exitCode == 0)) << r.exitCode << r.err;
            EXPECT_TRUE(fs::is_empty(tmp.str())) << "private working folder left behind";
            if (fs::exists(dir / "out.gif")) {
                EXPECT_EQ(line, 141);
                EXPECT_EQ(ReadGifStructure(dir / "out.gif").frames.size(), 50u);
                fs::remove(dir / "out.gif");
            }
            EXPECT_EQ(NamesIn(dir.str()), (std::set<std::string>{"head.png", "tail.jpg"}));
        }
    }
}

TEST_F(Signals, AKilledRunsFolderGoesWithTheNextRunALiveOneAndOneNotARunsStay) {
    auto killed = start({head, tail, dir / "killed.gif", "--trace"});
    ASSERT_TRUE(killed->waitForLines(10));
    killed->signal(SIGKILL);
    killed->finish();
    const std::set<std::string> leftover = NamesIn(tmp.str());
    ASSERT_EQ(leftover.size(), 1u);
    // Not a run's: a folder of a similar name without the owner's lock file.
    fs::create_directories(tmp / "pivra-make-mine00");
    std::ofstream(tmp / "pivra-make-mine00/notes.txt") << "keep";
    // A live run, held still while the next one cleans up.
    auto paused = start({head, tail, dir / "paused.gif", "--trace", "--scale", "2"});
    ASSERT_TRUE(paused->waitForLines(5));
    paused->signal(SIGSTOP);
    std::set<std::string> kept = NamesIn(tmp.str());
    kept.erase(*leftover.begin());
    ASSERT_EQ(kept.size(), 2u);  // the live run's and mine00

    ASSERT_EQ(make({head, tail, dir / "next.gif", "--scale", "1"}).exitCode, 0);
    EXPECT_EQ(NamesIn(tmp.str()), kept);
    paused->signal(SIGCONT);
    EXPECT_EQ(paused->finish().exitCode, 0);
    EXPECT_EQ(ReadGifStructure(dir / "paused.gif").frames.size(), 50u);
    EXPECT_EQ(NamesIn(tmp.str()), std::set<std::string>{"pivra-make-mine00"});
    EXPECT_EQ(FileContents(tmp / "pivra-make-mine00/notes.txt"), "keep");
}

}  // namespace
}  // namespace pivra::test
