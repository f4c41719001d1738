// What pivra-make says when the system lets it down: a working folder it cannot
// make, write or (once the animation is done) remove, and a trace it cannot write.
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>

#include "PivraMakeFixture.h"
#include "platform/UniqueFd.h"
#include "support/GifInspect.h"
#include "support/ScratchMount.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

using Messages = PivraMakeTest;

TEST_F(Messages, AWorkingFolderOrTraceThatCannotBeWrittenIsNamedWithTheReason) {
    const std::string out = dir / "out.gif";
    std::ofstream(dir / "file.txt") << "a file, not a folder";
    TempFolder place{"make-ro"};
    ScratchMount readOnly(place.str(), "size=64k", true);
    struct Case { std::vector<std::string> argv, env, mentions; };
    std::vector<Case> cases{
        {{kMake, head, tail, out}, {"TMPDIR=" + (dir / "gone")}, {dir / "gone", "No such file or directory"}},
        {{kMake, head, tail, out, "--workdir", dir / "file.txt/work"}, env(), {dir / "file.txt/work", "Not a directory"}},
        {{"/bin/sh", "-c", "exec '" + kMake + "' '" + head + "' '" + tail + "' '" + out + "' --trace > /dev/full"},
         env(), {"trace", "No space left on device"}}};
    if (readOnly.mounted())
        cases.push_back({{kMake, head, tail, out, "--workdir", place.str()}, env(), {place.str(), "Read-only file system"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mentions[0]);
        const ProcessResult r = RunProcess(c.argv, c.env);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        for (const std::string& m : c.mentions) EXPECT_NE(r.err.find(m), std::string::npos) << m << " in " << r.err;
        EXPECT_EQ(r.err.find("installation file"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_empty(tmp.str()));
        expectNothingElseIn({"file.txt"});
    }
}

// Marks a file immutable (even root cannot remove it) for one scope.
struct Immutable {
    explicit Immutable(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CREAT, 0644)) {
        set = fd && ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
              ::ioctl(fd.get(), FS_IOC_SETFLAGS, &(flags |= FS_IMMUTABLE_FL)) == 0;
    }
    ~Immutable() { if (set) ::ioctl(fd.get(), FS_IOC_SETFLAGS, &(flags &= ~FS_IMMUTABLE_FL)); }
    UniqueFd fd;
    int flags = 0;
    bool set = false;
};

TEST_F(Messages, AWorkingFolderThatCannotBeRemovedIsOnlyAWarning) {
    auto run = start({head, tail, dir / "out.gif", "--trace"});
    ASSERT_TRUE(run->waitForLines(100));
    run->signal(SIGSTOP);
    ASSERT_EQ(NamesIn(tmp.str()).size(), 1u);
    const std::string working = tmp / *NamesIn(tmp.str()).begin();
    Immutable held(working + "/Images/held");
    run->signal(SIGCONT);
    const ProcessResult r = run->finish();
    if (!held.set) GTEST_SKIP() << "this file system cannot make a file immutable";
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(working), std::string::npos) << r.err;
    EXPECT_EQ(ReadGifStructure(dir / "out.gif").frames.size(), 50u);
    expectNothingElseIn({"out.gif"});
}

}  // namespace
}  // namespace pivra::test
