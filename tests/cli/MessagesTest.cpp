// What pivra-make says when the system lets it down: a working folder it
// cannot make or write, a trace it cannot write, a full disk, and a working
// folder it cannot remove once the animation is done.
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>

#include "PivraMakeFixture.h"
#include "platform/UniqueFd.h"
#include "support/GifInspect.h"
#include "support/ScratchMount.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

using Messages = PivraMakeTest;

// Exit 1 with one line on standard error that says all of `mentions`.
void ExpectFailureSaying(const ProcessResult& r, std::initializer_list<std::string> mentions) {
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    for (const std::string& m : mentions) EXPECT_NE(r.err.find(m), std::string::npos) << m << " in " << r.err;
    EXPECT_EQ(r.err.find("installation file"), std::string::npos) << r.err;
}

TEST_F(Messages, AWorkingFolderThatCannotBeMadeOrWrittenIsNamedWithTheReason) {
    const std::string out = dir / "out.gif";
    ExpectFailureSaying(RunProcess({kMake, head, tail, out}, {"TMPDIR=" + (dir / "gone")}),
                        {dir / "gone", "No such file or directory"});
    std::ofstream(dir / "file.txt") << "a file, not a folder";
    ExpectFailureSaying(make({head, tail, out, "--workdir", dir / "file.txt/work"}),
                        {dir / "file.txt/work", "Not a directory"});

    TempFolder place{"make-ro"};
    ScratchMount readOnly(place.str(), "size=64k", true);
    if (readOnly.mounted()) {
        ExpectFailureSaying(make({head, tail, out, "--workdir", place.str()}),
                            {place.str(), "Read-only file system"});
    }
    EXPECT_FALSE(fs::exists(out));
    expectNothingElseIn({"file.txt"});
}

TEST_F(Messages, ATraceThatCannotBeWrittenFailsTheRun) {
    const std::string script = "exec '" + kMake + "' '" + head + "' '" + tail + "' '" + (dir / "out.gif") +
                               "' --trace > /dev/full";
    ExpectFailureSaying(RunProcess({"/bin/sh", "-c", script}, env()), {"trace", "No space left on device"});
    EXPECT_TRUE(fs::is_empty(tmp.str()));
    expectNothingElseIn();
}

TEST_F(Messages, AFullDiskForTheOutputSaysSo) {
    TempFolder place{"make-full"};
    ScratchMount small(place.str(), "size=64k");
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a small file system here";
    std::ofstream(place / "out.gif") << "the old animation";
    ExpectFailureSaying(make({head, tail, place / "out.gif"}), {place / "out.gif", "No space left on device"});
    EXPECT_EQ(NamesIn(place.str()), std::set<std::string>{"out.gif"});
    EXPECT_EQ(fs::file_size(place / "out.gif"), std::string("the old animation").size());
    EXPECT_TRUE(fs::is_empty(tmp.str()));
}

// Marks a file immutable (even root cannot remove it) for one scope.
class Immutable {
public:
    explicit Immutable(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CREAT, 0644)) {
        int flags = 0;
        set_ = fd_ && ::ioctl(fd_.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
               (flags |= FS_IMMUTABLE_FL, ::ioctl(fd_.get(), FS_IOC_SETFLAGS, &flags) == 0);
    }
    ~Immutable() {
        int flags = 0;
        if (set_ && ::ioctl(fd_.get(), FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_.get(), FS_IOC_SETFLAGS, &flags);
        }
    }
    bool set() const { return set_; }

private:
    UniqueFd fd_;
    bool set_ = false;
};

TEST_F(Messages, AWorkingFolderThatCannotBeRemovedIsOnlyAWarning) {
    auto run = start({head, tail, dir / "out.gif", "--trace"});
    ASSERT_TRUE(run->waitForLines(100));
    run->signal(SIGSTOP);
    const std::set<std::string> folders = NamesIn(tmp.str());
    ASSERT_EQ(folders.size(), 1u);
    const std::string working = tmp / *folders.begin();
    Immutable held(working + "/Images/held");
    run->signal(SIGCONT);
    if (!held.set()) {
        run->finish();
        GTEST_SKIP() << "this file system cannot make a file immutable";
    }
    const ProcessResult r = run->finish();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(working), std::string::npos) << r.err;
    EXPECT_EQ(ReadGifStructure(dir / "out.gif").frames.size(), 50u);
    expectNothingElseIn({"out.gif"});
}

}  // namespace
}  // namespace pivra::test
