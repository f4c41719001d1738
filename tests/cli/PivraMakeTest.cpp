// pivra-make as a user runs it: its refusals, the trace of a whole run against
// the golden command list, and folders of any length.
#include <sys/stat.h>

#include "PivraMakeFixture.h"
#include "support/DeepFolder.h"
#include "support/GifInspect.h"
#include "support/ScratchMount.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

using PivraMake = PivraMakeTest;

// 1 for what it cannot do, 2 for a mistake in the options; one line saying why,
// no output, nothing touched and no private working folder left behind.
TEST_F(PivraMake, RefusalsExitWithTheirCodeAndOneLineAndLeaveEverythingAsItWas) {
    std::ofstream(dir / "notes.jpg") << "these are words, not a picture\n";
    std::ofstream(dir / "empty.png").close();
    std::ofstream(dir / "broken.jpg", std::ios::binary) << "\xFF\xD8\xFF\xE0 then nothing useful";
    ASSERT_EQ(::mkfifo((dir / "fifo.gif").c_str(), 0644), 0);
    fs::create_directories(dir / "mine/Images");
    std::ofstream(dir / "mine/Images/holiday.jpg") << "the user's own";
    const std::set<std::string> before = NamesIn(dir.str());
    TempFolder place{"make-ro"};
    ScratchMount readOnly(place.str(), "size=64k", true);
    const std::string out = dir / "out.gif";
    struct Case {
        std::vector<std::string> args;
        int code;
        std::vector<std::string> mentions;
        std::string tmpdir = "", stdoutTo = "&1";
    };
    std::vector<Case> cases = {
        {{dir / "nothere.jpg", tail, out}, 1, {dir / "nothere.jpg", "no such file"}},
        {{head, dir / "notes.jpg", out}, 1, {"not a JPEG"}},
        {{dir / "empty.png", tail, out}, 1, {"empty"}},
        {{dir / "broken.jpg", tail, out}, 1, {"head picture could not be read"}},
        {{head, tail, dir / "no/such/out.gif"}, 1, {"no such folder"}},
        {{head, tail, dir / "fifo.gif"}, 1, {"FIFO"}},
        {{head, tail, out, "--workdir", dir / "mine"}, 1, {dir / "mine/Images", "not made by PIVRA"}},
        {{head, tail, out, "--workdir", dir / "notes.jpg/work"}, 1, {dir / "notes.jpg/work", "Not a directory"}},
        {{head, tail, out}, 1, {dir / "gone", "No such file or directory"}, dir / "gone"},
        {{head, tail, out, "--trace"}, 1, {"trace", "No space left on device"}, "", "/dev/full"},
        {{head, tail, out, "--scale", "51"}, 2, {"1 to 50"}},
        {{head, tail, out, "--scale"}, 2, {"needs a value"}},
        {{head, tail, out, "--colour"}, 2, {"--colour"}},
        {{head, tail}, 2, {"HEAD TAIL OUTPUT.gif"}},
        {{head, tail, dir / "out.jpg"}, 2, {".gif, .webp or .png"}},
        {{head, tail, dir / "out.webp", "--quality", "101"}, 2, {"0 to 100"}},
        {{head, tail, out, "--quality", "80"}, 2, {"--quality is for a .webp"}},
        {{head, tail, out, "--matte", "chartreuse"}, 2, {"basic colour name"}},
        {{head, tail, dir / "out.webp", "--matte", "navy"}, 2, {"--matte is for a .gif"}},
    };
    if (readOnly.mounted()) cases.push_back({{head, tail, out, "--workdir", place.str()}, 1, {place.str(), "Read-only file system"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mentions[0]);
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" >" + c.stdoutTo, kMake};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProcessResult r = RunProcess(argv, {"TMPDIR=" + (c.tmpdir.empty() ? tmp.str() : c.tmpdir)});
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        for (const std::string& m : c.mentions) EXPECT_NE(r.err.find(m), std::string::npos) << m << " in " << r.err;
        EXPECT_EQ(NamesIn(dir.str()), before);
        EXPECT_TRUE(fs::is_fifo(dir / "fifo.gif"));
        EXPECT_EQ(NamesIn(dir / "mine/Images"), std::set<std::string>{"holiday.jpg"});
        EXPECT_TRUE(fs::is_empty(tmp.str())) << "private working folder left behind";
    }
}

TEST_F(PivraMake, WholeRunWithTrace) {
    // Relative picture paths are made absolute; standard error is not a terminal: no bar.
    const ProcessResult r =
        RunProcess({"/bin/sh", "-c", "cd '" + dir.str() + "' && '" + kMake + "' head.png tail.jpg spin.gif --trace"}, env());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<CommandLine> trace = Traced(r.out);
    ASSERT_EQ(trace.size(), 141u);
    // The private working folder, with the installation files copied into it.
    ASSERT_EQ(AppOf(trace).rfind(tmp.str() + "/pivra-make-", 0), 0u) << AppOf(trace);
    EXPECT_EQ(trace, golden(AppOf(trace)));
    const GifInfo info = ReadGifStructure(dir / "spin.gif");
    EXPECT_EQ(std::make_pair(info.frames.size(), info.screenWidth), std::make_pair(size_t{50}, 192));
    EXPECT_TRUE(fs::is_empty(tmp.str()));
}

// The pictures 1000 bytes deep, or a 200-byte $TMPDIR: the coin is the one built
// from ordinary folders, the pictures are untouched and nothing is left behind.
TEST_F(PivraMake, LongFoldersBuildTheSameCoin) {
    ASSERT_EQ(make({head, tail, dir / "ordinary.gif", "--scale", "2"}).exitCode, 0);
    const std::string deep = DeepFolder(dir / "deep", 1000 - std::string("/head.png").size());
    const std::string deepHead = deep + "/head.png", deepTail = deep + "/tail.jpg";
    fs::copy_file(head, deepHead);
    fs::copy_file(tail, deepTail);
    const auto yesterday = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const std::string& p : {deepHead, deepTail}) fs::last_write_time(p, yesterday);
    ASSERT_EQ(deepHead.size(), 1000u);

    TempFolder longRoot{"make-long"};
    const std::string longTmp = DeepFolder(longRoot / "tmp", 200), out = dir / "long.gif";
    for (const auto& [args, tmpdir] : {std::pair{std::vector<std::string>{deepHead, deepTail, out, "--scale", "2"}, tmp.str()},
                                       {{head, tail, out, "--scale", "2"}, longTmp}}) {
        SCOPED_TRACE(tmpdir);
        fs::remove(out);
        const ProcessResult r = RunProcess(withMake(args), {"TMPDIR=" + tmpdir});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(fs::exists(out) && FileContents(out) == FileContents(dir / "ordinary.gif"));
        EXPECT_TRUE(fs::is_empty(tmpdir)) << "private working folder left behind";
    }
    for (const auto& [copy, original] : {std::pair{deepHead, head}, {deepTail, tail}}) {
        EXPECT_TRUE(FileContents(copy) == FileContents(original)) << copy;
        EXPECT_EQ(fs::last_write_time(copy), yesterday) << copy;
    }
}

}  // namespace
}  // namespace pivra::test
