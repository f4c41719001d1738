// pivra-make as a user runs it, with its own $TMPDIR (so private working folders
// left behind are seen): its refusals, the trace of a whole run against the golden
// command list, folders of any length, edges on a page, the WebP and APNG outputs
// (read back by libwebp's demuxing decoder and by libpng with a walk of the
// animation chunks, against the render of the faces the run kept, and that render
// against the GIF, and against pixels worked out by hand), --crop, page colours,
// "link/..", stale short-name folders, and with a preloaded shim (SyscallShim.cpp)
// the syncs around each rename and a stop signal at the very moment of one.
#include <signal.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "PictureLoader.h"
#include "render/FacePicture.h"
#include "render/FlatLook.h"
#include "render/GifAnimation.h"
#include "support/AnimationReaders.h"
#include "support/ChildProcess.h"
#include "support/DeepFolder.h"
#include "support/FileContents.h"
#include "support/FrameCompare.h"
#include "support/GifInspect.h"
#include "support/GoldenCommands.h"
#include "support/RunProcess.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "support/WebmReader.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

const std::string kMake = std::string(PIVRA_BIN_DIR) + "/pivra-make";

std::set<std::string> NamesIn(const std::string& folder) {  // hidden ones included
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

// Runs pivra-make with SyscallShim.cpp preloaded (the sanitizers' runtime then
// does not come first, which they are told to accept).
std::vector<std::string> WithShim(std::vector<std::string> env, const std::vector<std::string>& shim) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    env.push_back("LD_PRELOAD=" PIVRA_SYSCALL_SHIM);
    env.push_back("ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0");
    env.insert(env.end(), shim.begin(), shim.end());
    return env;
}

// Whether the log of the shim shows the file renamed onto `to` synced before
// the rename, and the folder after it.
::testing::AssertionResult SyncedAroundRename(const std::vector<std::string>& log, const std::string& to) {
    const auto rename = std::find_if(log.begin(), log.end(), [&](const std::string& line) {
        return line.rfind("rename ", 0) == 0 && line.size() > to.size() &&
               line.compare(line.size() - to.size() - 1, std::string::npos, " " + to) == 0;
    });
    if (rename == log.end()) return ::testing::AssertionFailure() << "no rename onto " << to;
    const std::string from = rename->substr(7, rename->size() - to.size() - 8);
    if (std::find(log.begin(), rename, "fsync " + from) == rename)
        return ::testing::AssertionFailure() << from << " not synced before its rename onto " << to;
    const std::string folder = fs::path(to).parent_path().string();
    if (std::find(rename, log.end(), "fsync " + folder) == log.end())
        return ::testing::AssertionFailure() << folder << " not synced after the rename onto " << to;
    return ::testing::AssertionSuccess();
}

std::vector<std::string> Lines(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class PivraMake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(head, 64, 48, QColor(200, 40, 40)));
        ASSERT_TRUE(WriteSolidPicture(tail, 48, 64, QColor(40, 40, 200)));
    }
    std::vector<std::string> env() const { return {"TMPDIR=" + tmp.str()}; }
    static std::vector<std::string> withMake(std::vector<std::string> args) {
        args.insert(args.begin(), kMake);
        return args;
    }
    ProcessResult make(const std::vector<std::string>& args) { return RunProcess(withMake(args), env()); }

    TempFolder dir{"make"}, tmp{"make-tmp"};
    const std::string head = dir / "head.png", tail = dir / "tail.jpg";
};

// 1 for what it cannot do, 2 for a mistake in the options; one line saying why,
// no output, nothing touched and no private working folder left behind.
TEST_F(PivraMake, RefusalsExitWithTheirCodeAndOneLineAndLeaveEverythingAsItWas) {
    std::ofstream(dir / "notes.jpg") << "these are words, not a picture\n";
    std::ofstream(dir / "empty.png").close();
    std::ofstream(dir / "broken.jpg", std::ios::binary) << "\xFF\xD8\xFF\xE0 then nothing useful";
    ASSERT_EQ(::mkfifo((dir / "fifo.gif").c_str(), 0644), 0);
    fs::create_directories(dir / "mine/Images");
    std::ofstream(dir / "mine/Images/holiday.jpg") << "the user's own";
    fs::create_directories(dir / "planted");
    std::ofstream(dir / "planted/pre_mask.mif") << "a square mask of someone else's";
    const std::set<std::string> before = NamesIn(dir.str());
    TempFolder place{"make-ro"};
    ScratchMount readOnly(place.str(), "size=64k", true);
    const std::string out = dir / "out.gif";
    struct Case { std::vector<std::string> args; int code; std::vector<std::string> mentions; std::string tmpdir = "", stdoutTo = "&1"; };
    std::vector<Case> cases = {
        {{dir / "nothere.jpg", tail, out}, 1, {dir / "nothere.jpg", "no such file"}},
        {{head, dir / "notes.jpg", out}, 1, {"not a JPEG"}},
        {{dir / "empty.png", tail, out}, 1, {"empty"}},
        {{dir / "broken.jpg", tail, out}, 1, {"head picture could not be read"}},
        {{head, tail, dir / "no/such/out.gif"}, 1, {"no such folder"}},
        {{head, tail, dir / "fifo.gif"}, 1, {"FIFO"}},
        {{head, tail, out, "--workdir", dir / "mine"}, 1, {dir / "mine/Images", "not made by PIVRA"}},
        {{head, tail, out, "--workdir", dir / "notes.jpg/work"}, 1, {dir / "notes.jpg/work", "Not a directory"}},
        {{head, tail, out, "--workdir", dir / "planted"}, 1, {dir / "planted", "pre_mask.mif", "not the one PIVRA ships"}},
        {{head, tail, out}, 1, {dir / "gone", "No such file or directory"}, dir / "gone"},
        {{head, tail, out, "--trace"}, 1, {"trace", "No space left on device"}, "", "/dev/full"},
        {{head, tail, out, "--scale", "51"}, 2, {"1 to 50"}},
        {{head, tail, out, "--colour"}, 2, {"--colour"}},
        {{head, tail}, 2, {"HEAD TAIL OUTPUT.gif"}},
        {{head, tail, dir / "out.jpg"}, 2, {".gif, .webp, .png or .webm"}},
        {{head, tail, dir / "out.webp", "--quality", "101"}, 2, {"0 to 100"}},
        {{head, tail, out, "--quality", "80"}, 2, {"--quality is for a .webp"}},
        {{head, tail, out, "--matte", "chartreuse"}, 2, {"basic colour name"}},
        {{head, tail, dir / "out.webp", "--matte", "navy"}, 2, {"--matte is for a .gif"}},
        {{head, tail, dir / "out.webp", "--look", "round"}, 2, {"flat or coin"}},
        {{head, tail, dir / "out.webp", "--look", "coin", "--thickness", "21"}, 2, {"0 to 20"}},
        {{head, tail, dir / "out.webp", "--look", "coin", "--light", "dim"}, 2, {"on or off"}},
        {{head, tail, dir / "out.webp", "--thickness", "5"}, 2, {"for --look coin"}},
        {{head, tail, out, "--size", "15"}, 2, {"16 to 1024", "\"15\""}},
        {{head, tail, out, "--size", "1025"}, 2, {"16 to 1024"}},
        {{head, tail, out, "--size", "64", "--scale", "4"}, 2, {"--size and --scale"}},
        {{head, tail, out, "--frames", "7"}, 2, {"8 to 200"}},
        {{head, tail, out, "--frames", "201"}, 2, {"8 to 200"}},
        {{head, tail, out, "--frame-time", "19"}, 2, {"20 to 1000"}},
        {{head, tail, out, "--frame-time", "1001"}, 2, {"20 to 1000"}},
        {{head, tail, out, "--max-bytes", "999"}, 2, {"1000 to 1000000000", "K for 1000"}},
        {{head, tail, out, "--max-bytes", "12G"}, 2, {"1000 to 1000000000"}},
        {{head, tail, out, "--for", "myspace"}, 2, {"slack, discord-emoji, discord-sticker, telegram, signal, whatsapp"}},
        {{head, tail, out, "--for", "telegram"}, 2, {"--for telegram makes WebM", "end in .webm"}},
        {{head, tail, dir / "out.webp", "--for", "signal"}, 2, {"end in .png"}},
        {{head, tail, out, "--for", "slack", "--size", "128"}, 2, {"--for slack fixes the side"}},
        {{head, tail, out, "--for", "slack", "--scale", "4"}, 2, {"--for slack fixes the side"}},
        {{head, tail, out, "--for", "slack", "--frames", "24"}, 2, {"--for slack fixes the side"}},
        {{head, tail, out, "--for", "slack", "--frame-time", "40"}, 2, {"--for slack fixes the side"}},
        {{head, tail, dir / "out.webp", "--for", "whatsapp", "--quality", "50"}, 2, {"chosen by the fit"}},
        {{head, tail, dir / "out.webp", "--size", "256", "--max-bytes", "1K"}, 1, {"nothing written", "misses the budget of 1000 bytes by"}},
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
        EXPECT_EQ(FileContents(dir / "planted/pre_mask.mif"), "a square mask of someone else's");
        EXPECT_TRUE(fs::is_empty(tmp.str())) << "private working folder left behind";
    }
}

// Relative picture paths are made absolute; standard error is not a terminal: no
// bar. A GIF with --scale alone runs the golden list's commands byte for byte;
// --crop changes the two face conversions only.
TEST_F(PivraMake, WholeRunWithTrace) {
    for (const std::string crop : {" --scale 16", " --crop"}) {
        SCOPED_TRACE(crop);
        const ProcessResult r = RunProcess(
            {"/bin/sh", "-c", "cd '" + dir.str() + "' && '" + kMake + "' head.png tail.jpg spin.gif --trace" + crop}, env());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        std::istringstream lines(r.out);
        std::vector<CommandLine> trace;
        for (std::string line; std::getline(lines, line);) trace.push_back(MaskTemporaryName(SplitTraceLine(line)));
        ASSERT_EQ(trace.size(), 141u);
        // The private working folder, with the installation files copied into it.
        const std::string app = trace[0].at(1).substr(0, trace[0].at(1).size() - std::string("pre_mask.bmp").size());
        ASSERT_EQ(app.rfind(tmp.str() + "/pivra-make-", 0), 0u) << app;
        std::vector<CommandLine> expected =
            GoldenCommandsAtScale16({{"{APP}", app}, {"{INSTALL}", app}, {"{HEAD}", head}, {"{TAIL}", tail}});
        for (const auto& [line, picture, face] : {std::tuple{4, head, "ImagA.gif"}, {5, tail, "ImagB.gif"}})
            if (crop == " --crop") expected.at(line) = {"Morphex.dll", picture, "-resize", "192X192^", "-gravity", "center",
                                                    "-crop", "192X192+0+0", "+repage", app + "Masks/" + face};
        EXPECT_EQ(trace, expected);
        const GifInfo info = ReadGifStructure(dir / "spin.gif");
        EXPECT_EQ(std::make_pair(info.frames.size(), info.screenWidth), std::make_pair(size_t{50}, 192));
        EXPECT_TRUE(fs::is_empty(tmp.str()));
    }
}

// "link/.." is the folder above the link's target, as ls and the shell read it:
// for a picture, the output and the working folder alike.
TEST_F(PivraMake, DotDotAfterALinkIsTheFolderAboveItsTarget) {
    fs::create_directories(dir / "real/pics");
    fs::create_symlink("real/pics", dir / "link");
    fs::copy_file(head, dir / "real/face.png");
    struct Case { std::string args, made, notMade; };
    for (const Case& c : {Case{"link/../face.png tail.jpg one.gif", "one.gif", ""},
                          {"head.png tail.jpg link/../two.gif", "real/two.gif", "two.gif"},
                          {"head.png tail.jpg three.gif --workdir link/../work", "real/work/Work/pivra.gif", "work"}}) {
        SCOPED_TRACE(c.args);
        const ProcessResult r =
            RunProcess({"/bin/sh", "-c", "cd '" + dir.str() + "' && '" + kMake + "' " + c.args + " --scale 1"}, env());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(fs::is_regular_file(dir / c.made));
        EXPECT_TRUE(c.notMade.empty() || !fs::exists(dir / c.notMade)) << c.notMade;
    }
}

// A power cut right after a run leaves the old file or the new one, never an
// empty one: OUTPUT (copied or made in memory) and the working animation are
// synced before their rename and their folder after. A replaced OUTPUT keeps
// its mode; a new one gets 0666 less the umask.
TEST_F(PivraMake, OutputsAreSyncedAroundTheirRenameAndKeepTheirMode) {
    const std::string log = dir / "calls.log", work = dir / "work";
    for (const auto& [name, mode] : {std::pair{"new.gif", 0}, {"kept.gif", 0640}, {"kept.png", 0604}}) {
        SCOPED_TRACE(name);
        const std::string out = dir / name;
        if (mode) {
            std::ofstream(out) << "the last one";
            fs::permissions(out, static_cast<fs::perms>(mode));
        }
        fs::remove(log);
        const ProcessResult r = RunProcess(withMake({head, tail, out, "--scale", "1", "--workdir", work}),
                                           WithShim(env(), {"PIVRA_SHIM_LOG=" + log}));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(SyncedAroundRename(Lines(log), out));
        if (fs::path(out).extension() == ".gif") { EXPECT_TRUE(SyncedAroundRename(Lines(log), work + "/Work/pivra.gif")); }
        EXPECT_EQ(static_cast<int>(fs::status(out).permissions()), mode ? mode : 0644);
    }
}

// The short-name folders a killed run left in a --workdir more than a day ago
// are removed (their links, never what they point to); a recent one, or a
// folder of another name, stays.
TEST_F(PivraMake, StaleShortNameFoldersAreRemovedFromTheWorkdir) {
    const std::string work = dir / "work", stale = work + "/.pivra-links-Ab12Cd";
    const std::vector<std::string> kept = {work + "/.pivra-links-Ef34Gh", work + "/.pivra-links-mine-old"};
    fs::create_directories(stale);
    fs::create_symlink(dir.str(), stale + "/1");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(25);
    for (const std::string& folder : kept) fs::create_directories(folder);
    fs::last_write_time(stale, old);
    fs::last_write_time(kept[1], old);
    ASSERT_EQ(make({head, tail, dir / "out.gif", "--scale", "1", "--workdir", work}).exitCode, 0);
    EXPECT_FALSE(fs::exists(stale));
    for (const std::string& folder : kept) EXPECT_TRUE(fs::is_directory(folder)) << folder;
    EXPECT_TRUE(fs::exists(head) && fs::exists(tail));
}

// A page colour reaches the commands as #rrggbb (#rgb doubled, a name looked
// up); white, however it is written, is no page colour: exactly the commands
// of a run without one.
TEST_F(PivraMake, PageColourReachesTheCommandsAsRrggbbAndWhiteIsNone) {
    const auto trace = [&](const std::vector<std::string>& matte) {
        std::vector<std::string> args{head, tail, dir / "out.gif", "--scale", "1", "--trace", "--workdir", dir / "work"};
        args.insert(args.end(), matte.begin(), matte.end());
        const ProcessResult r = make(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::istringstream lines(r.out);
        std::vector<CommandLine> commands;
        for (std::string line; std::getline(lines, line);) commands.push_back(MaskTemporaryName(SplitTraceLine(line)));
        return commands;
    };
    const std::vector<CommandLine> plain = trace({});
    ASSERT_EQ(plain.size(), 141u);
    for (const auto& [matte, hex] : {std::pair{"white", ""}, {"#FFF", ""}, {"#fFfFfF", ""}, {"#1a3", "#11aa33"}, {"Navy", "#000080"}}) {
        SCOPED_TRACE(matte);
        const std::vector<CommandLine> commands = trace({"--matte", matte});
        if (*hex == 0) {
            EXPECT_EQ(commands, plain);
            continue;
        }
        const auto fills = std::count_if(commands.begin(), commands.end(), [&](const CommandLine& c) {
            return std::find(c.begin(), c.end(), std::string(hex)) != c.end();
        });
        EXPECT_EQ(fills, 12) << "one page strip per width, in " << hex;
    }
}

// One thread or two: every kind of output byte for byte the same, and so is the
// trace (the assembly's temporary name aside), in the same working folder.
TEST_F(PivraMake, OneThreadOrTwoGiveTheSameBytesAndTheSameTrace) {
    QImage photo(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x * 3 % 256, (x * y) % 256, y * 2 % 256));
    ASSERT_TRUE(photo.save(QString::fromStdString(dir / "photo.png")));
    const std::string work = dir / "work";
    fs::create_directories(work);
    for (const std::vector<std::string>& kind : {std::vector<std::string>{".gif", "--scale", "9"}, {".gif", "--matte", "navy"},
                                                 {".webp", "--scale", "9"}, {".png", "--scale", "9"}, {".webm", "--look", "coin"},
                                                 {".webp", "--max-bytes", "40K"}, {".gif", "--for", "slack"}}) {
        SCOPED_TRACE(kind[0] + " " + kind[2]);
        std::string outputs[2], traces[2];
        for (int threads : {1, 2}) {
            const std::string out = dir / ("out" + std::to_string(threads) + kind[0]);
            std::vector<std::string> args{dir / "photo.png", tail, out, "--workdir", work, "--trace"};
            args.insert(args.end(), kind.begin() + 1, kind.end());
            const ProcessResult r = RunProcess(withMake(args), {"TMPDIR=" + tmp.str(), "PIVRA_THREADS=" + std::to_string(threads)});
            ASSERT_EQ(r.exitCode, 0) << r.err;
            std::istringstream lines(r.out);
            for (std::string line; std::getline(lines, line);)
                for (const std::string& arg : MaskTemporaryName(SplitTraceLine(line))) traces[threads - 1] += arg + "\t";
            outputs[threads - 1] = FileContents(out);
        }
        // Only a plain GIF is built by commands, whose trace this is; the rest is
        // rendered from the pictures, and a fit prints its one line instead.
        const bool fitted = kind[1] == "--for" || kind[1] == "--max-bytes";
        EXPECT_EQ(traces[0].empty(), kind[0] != ".gif" && !fitted);
        EXPECT_EQ(traces[0], traces[1]);
        EXPECT_TRUE(outputs[0] == outputs[1]) << outputs[0].size() << " and " << outputs[1].size() << " bytes";
    }
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

// With a page colour the coin's edge blends into it instead of into white: a head of
// that very colour comes out as one opaque coin of it, outside stays clear; without
// one, the tail's edge shows the white it blended into. Either way the frames follow
// the frame table: frames 12 and 37 are blank, 13-36 show the head, the rest the
// tail; frame f is |f % 25 - 12| steps wide.
TEST_F(PivraMake, EdgesBlendIntoThePageAndAFaceOfItsColourStaysOpaque) {
    const QColor page(16, 32, 48), face(40, 40, 200);
    ASSERT_TRUE(WriteSolidPicture(dir / "page.png", 120, 90, page));
    for (const std::string colour : {"#102030", ""}) {
        SCOPED_TRACE("page colour '" + colour + "'");
        std::vector<std::string> args{dir / "page.png", tail, dir / "coin.gif", "--scale", "8"};
        if (!colour.empty()) args.insert(args.end(), {"--matte", colour});
        ASSERT_EQ(make(args).exitCode, 0);
        const GifInfo info = ReadGifStructure(dir / "coin.gif");
        EXPECT_EQ(std::make_tuple(info.screenWidth, info.screenHeight, info.loopCount), std::make_tuple(96, 96, 0));
        for (const GifFrameInfo& f : info.frames) EXPECT_EQ(std::make_pair(f.delayCs, f.disposal), std::make_pair(6, 2));
        const std::vector<QImage> frames = ReadGifFrames(dir / "coin.gif");
        ASSERT_EQ(std::make_pair(info.frames.size(), frames.size()), std::make_pair(size_t{50}, size_t{50}));
        int light = 0;
        for (int f = 0; f < 50; ++f) {
            const bool head = f >= 13 && f <= 36;
            const int w = std::abs(f % 25 - 12) * 8, x0 = (96 - w) / 2;
            for (int y = 0; y < 96; ++y)
                for (int x = 0; x < 96; ++x) {
                    const QRgb p = frames[static_cast<size_t>(f)].pixel(x, y);
                    // The coin's inside, by its own equation, with a pixel to spare at the edge.
                    const double u = (x + 0.5 - 48) / (w / 2.0 - 1), v = (y + 0.5 - 48) / 47.0;
                    const bool corner = (x == 0 || x == 95) && (y == 0 || y == 95);
                    if (w > 2 && u * u + v * v < 1) { ASSERT_EQ(qAlpha(p), 255) << f << " at " << x << "," << y; }
                    if (x < x0 || x >= x0 + w || corner) { ASSERT_EQ(qAlpha(p), 0) << f << " at " << x << "," << y; }
                    if (x == 48 && y == 48 && w > 0) { EXPECT_TRUE(CloseColour(p, head ? page : face, 40)) << f; }
                    if (qAlpha(p) == 0) continue;
                    if (head && !colour.empty()) { ASSERT_TRUE(CloseColour(p, page, 3)) << f << " at " << x << "," << y; }
                    light += !head && qGray(p) > qGray(face.rgb()) + 40;
                }
        }
        EXPECT_TRUE(colour.empty() ? light > 500 : light == 0) << light << " pixels lighter than the tail's face";
    }
}

// Smooth gradients and a soft ring, as a photo has them: a face with some
// detail for the lossy encoder to lose.
bool WriteDetailedPicture(const std::string& path, int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double ring = 60 * std::exp(-std::pow((std::hypot(x - w / 2.0, y - h / 2.0) / w - 0.3) / 0.05, 2));
            image.setPixel(x, y, qRgb(30 + x * 180 / w + seed * 10, int(40 + y * 150 / h + ring),
                                      int(120 + 50 * seed * std::sin(x / 25.0))));
        }
    return image.save(QString::fromStdString(path));
}

// Pixels partly covered, and pixels visible at all.
std::pair<int, int> Coverage(const std::vector<std::uint8_t>& rgba) {
    int partly = 0, visible = 0;
    for (size_t i = 3; i < rgba.size(); i += 4) partly += rgba[i] != 0 && rgba[i] != 255, visible += rgba[i] != 0;
    return {partly, visible};
}

// Frames of the flat look rendered from the pictures (its frame table and
// pixels are checked against hand-worked values and Qt's drawing in render_tests).
std::vector<imagelib::Picture> RenderOf(const std::string& head, const std::string& tail, int side, int count = 50) {
    imagelib::Picture h, t;
    std::string why;
    EXPECT_TRUE(LoadFacePicture(head, side, false, h, why) && LoadFacePicture(tail, side, false, t, why)) << why;
    const FlatLook look(h, t, side, count);
    std::vector<imagelib::Picture> frames;
    for (int k = 0; k < count; ++k) frames.push_back(look.frame(k));
    return frames;
}

TEST_F(PivraMake, WebpPlaysTheRenderEvery60MsForEverWithItsRimHalfCovered) {
    ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 200, 150, 1));
    ASSERT_TRUE(WriteDetailedPicture(dir / "tail.png", 120, 160, 2));
    for (const auto& [options, leastDb] : {std::pair{std::vector<std::string>{"--scale", "8"}, 36.0},
                                           {{"--scale", "4", "--lossless"}, 99.0}}) {
        SCOPED_TRACE(options.back());
        std::vector<std::string> args{dir / "head.png", dir / "tail.png", dir / "spin.webp"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(make(args).exitCode, 0);
        const std::vector<imagelib::Picture> render = RenderOf(dir / "head.png", dir / "tail.png", options[1] == "8" ? 96 : 48);
        ASSERT_EQ(render.size(), 50u);
        const WebpAnimation anim = ReadWebpAnimation(dir / "spin.webp");
        ASSERT_TRUE(anim.ok && !anim.endsMs.empty());
        EXPECT_EQ(std::make_tuple(anim.width, anim.height, anim.loopCount, anim.endsMs.back()),
                  std::make_tuple(render[0].width, render[0].height, 0, 50 * 60));
        // Frame k is what shows at 60k ms; identical neighbours may share one longer frame.
        size_t shown = 0;
        for (int k = 0; k < 50; ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            while (shown < anim.endsMs.size() && anim.endsMs[shown] <= 60 * k) ++shown;
            ASSERT_LT(shown, anim.frames.size());
            for (int page : {0, 255}) EXPECT_GE(PsnrOver(anim.frames[shown], render[static_cast<size_t>(k)], page), leastDb);
            const auto [partly, visible] = Coverage(anim.frames[shown].rgba);
            EXPECT_TRUE(k % 25 == 12 ? visible == 0 : partly > render[0].height / 2) << "the rim is partly transparent";
        }
    }
}

// OUT.webm: the render of the pictures, as VP9 with alpha, 3 s;
// and the coin look as WebM.
TEST_F(PivraMake, WebmIsTheRenderWithAlphaForThreeSeconds) {
    ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 200, 150, 1));
    ASSERT_EQ(make({dir / "head.png", tail, dir / "spin.webm", "--scale", "8"}).exitCode, 0);
    const std::vector<imagelib::Picture> render = RenderOf(dir / "head.png", tail, 96);
    const WebmAnimation anim = ReadWebm(dir / "spin.webm");
    ASSERT_TRUE(anim.ok) << anim.error;
    EXPECT_EQ(std::make_tuple(anim.width, anim.alphaMode, anim.durationMs), std::make_tuple(96, 1u, 3000.0));
    ASSERT_EQ(anim.frames.size(), render.size());
    for (size_t k = 0; k < render.size(); ++k)
        for (int page : {0, 255}) EXPECT_GE(PsnrOver(anim.frames[k], render[k], page), 30) << k;
    // The coin look too, clear around the coin.
    ASSERT_EQ(make({dir / "head.png", tail, dir / "coin.webm", "--scale", "8", "--look", "coin"}).exitCode, 0);
    const WebmAnimation coin = ReadWebm(dir / "coin.webm");
    ASSERT_TRUE(coin.ok) << coin.error;
    ASSERT_EQ(std::make_tuple(coin.width, coin.frames.size(), coin.alphaMode), std::make_tuple(96, size_t{50}, 1u));
    EXPECT_EQ(std::make_pair(coin.frames[0].at(0, 0)[3], coin.frames[0].at(95, 95)[3]), std::make_pair(std::uint8_t{0}, std::uint8_t{0}));
}

// The APNG is the render exactly; the render follows the GIF's plan half a
// turn on, the head first: for each frame the same face, width and place,
// its alpha the coin's area, its colour the face's alone.
TEST_F(PivraMake, ApngIsTheRenderExactlyAndTheRenderShowsWhatTheGifShows) {
    const QColor headColour(200, 30, 40), tailColour(20, 60, 210);
    ASSERT_TRUE(WriteSolidPicture(dir / "head.png", 90, 60, headColour));
    ASSERT_TRUE(WriteSolidPicture(dir / "tail.png", 60, 90, tailColour));
    for (const char* out : {"spin.gif", "spin.png"})
        ASSERT_EQ(make({dir / "head.png", dir / "tail.png", dir / out, "--scale", "8"}).exitCode, 0);
    const std::vector<imagelib::Picture> render = RenderOf(dir / "head.png", dir / "tail.png", 96);
    ASSERT_EQ(render.size(), 50u);
    const ApngAnimation anim = ReadApng(dir / "spin.png");
    ASSERT_TRUE(anim.ok && anim.stillIsFirstFrame);
    EXPECT_EQ(anim.still.rgba, render[0].rgba) << "a reader without animation shows the first frame";
    EXPECT_EQ(std::make_pair(anim.frameCount, anim.plays), std::make_pair(50, 0));
    ASSERT_EQ(std::make_pair(anim.controls.size(), anim.frames.size()), std::make_pair(size_t{50}, size_t{50}));
    const std::vector<QImage> gif = ReadGifFrames(dir / "spin.gif");
    ASSERT_EQ(gif.size(), 50u);
    const int side = 96, mid = side / 2;
    for (size_t k = 0; k < 50; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        // One run of sequence numbers through frame controls and frame data, from 0.
        const ApngFrameControl& c = anim.controls[k];
        EXPECT_EQ(c.sequence, k == 0 ? 0 : 2 * k - 1);
        if (k > 0) { EXPECT_EQ(anim.dataSequence.at(k - 1), 2 * k); }
        EXPECT_EQ(c.delayNum * 1000, 60 * c.delayDen);
        EXPECT_EQ(std::make_tuple(c.x, c.y, c.width, c.height, c.blend), std::make_tuple(0, 0, side, side, 0));
        const size_t built = (k + 25) % 50;  // the GIF build starts with the tail face-on
        const imagelib::Picture& r = render[k];
        EXPECT_TRUE(anim.frames[k].width == side && anim.frames[k].rgba == r.rgba);
        // Where each shows anything on the middle row, and the face there.
        int gifFirst = -1, gifLast = -1, first = -1, last = -1;
        for (int x = 0; x < side; ++x) {
            if (qAlpha(gif[built].pixel(x, mid)) != 0) gifLast = x, gifFirst = gifFirst < 0 ? x : gifFirst;
            if (r.pixel(x, mid)[3] != 0) last = x, first = first < 0 ? x : first;
        }
        EXPECT_LE(std::max(std::abs(first - gifFirst), std::abs(last - gifLast)), 1);
        if (first < 0) continue;
        const QColor face = built >= 13 && built <= 36 ? headColour : tailColour;
        EXPECT_TRUE(CloseColour(gif[built].pixel((first + last) / 2, mid), face, 6));
        for (size_t i = 0; i < r.rgba.size(); i += 4)
            if (r.rgba[i + 3] != 0) { ASSERT_TRUE(CloseColour(qRgb(r.rgba[i], r.rgba[i + 1], r.rgba[i + 2]), face, 2)); }
    }
    // Full width: the disc's area, pi r^2, to a fraction of a pixel per row.
    double covered = 0;
    for (size_t i = 3; i < render[0].rgba.size(); i += 4) covered += render[0].rgba[i] / 255.0;
    EXPECT_NEAR(covered, M_PI * mid * mid, side * 0.05);
    EXPECT_GT(Coverage(render[0].rgba).first, side / 2) << "the rim is partly transparent";
}

// Against pixels worked out by hand, at an odd scale, where half the strip's
// spare width is not whole: frame k is w = |(k + 25) % 25 - 12| * 3 wide,
// centred, from (36 - w) / 2 to (36 + w) / 2; nothing shows wholly outside.
// The head's left half is transparent in the picture and stays so; the right
// half is coin, opaque.
TEST_F(PivraMake, RenderAtAnOddScaleIsPlacedAsWorkedOutAndKeepsTheFacesTransparency) {
    QImage halfClear(72, 72, QImage::Format_ARGB32);
    halfClear.fill(QColor(200, 30, 40));
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 36; ++x) halfClear.setPixel(x, y, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(halfClear.save(QString::fromStdString(dir / "half.png")));
    ASSERT_EQ(make({dir / "half.png", tail, dir / "spin.png", "--scale", "3"}).exitCode, 0);
    const ApngAnimation anim = ReadApng(dir / "spin.png");
    ASSERT_TRUE(anim.ok && anim.frames.size() == 50u);
    const int side = 36, mid = 18;
    for (int k = 0; k < 50; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const RgbaFrame& f = anim.frames[static_cast<size_t>(k)];
        ASSERT_EQ(f.width, side);
        const int w = std::abs((k + 25) % 25 - 12) * 3;
        const double x0 = (side - w) / 2.0, x1 = (side + w) / 2.0;
        const bool head = k <= 11 || k >= 38;
        for (int x = 0; x < side; ++x) {
            const int alpha = f.at(x, mid)[3];
            if (x + 1 <= x0 || x >= x1) { EXPECT_EQ(alpha, 0) << "outside the strip at " << x; }
            else if (!head) { EXPECT_GT(alpha, 0) << "the tail's strip at " << x; }
            else if (w >= 12 && x + 1 <= mid - w / 6.0) { EXPECT_EQ(alpha, 0) << "the head's clear half at " << x; }
            else if (w >= 12 && x >= mid + w / 6.0 && x + 1 <= x1 - 1) { EXPECT_EQ(alpha, 255) << "the head's coin at " << x; }
        }
    }
}

// The WebP frame that shows at a time (identical neighbours share one longer frame).
const RgbaFrame& ShownAt(const WebpAnimation& anim, int ms) {
    size_t shown = 0;
    while (shown + 1 < anim.frames.size() && anim.endsMs[shown] <= ms) ++shown;
    return anim.frames[shown];
}

// --size, --frames and --frame-time in every format, each read back by a
// decoder not ours: the exact side, one whole turn in that many frames, each
// as long as asked (a GIF's delays the turn's running time in whole
// hundredths, worked out by hand: 45 ms is 5, 4, 5, 4, ...), looping for
// ever, and the pixels of the render, the head face-on first.
TEST_F(PivraMake, SizeFramesAndFrameTimeReachEveryFormat) {
    ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 200, 150, 1));
    ASSERT_TRUE(WriteDetailedPicture(dir / "tail.png", 120, 160, 2));
    const std::vector<imagelib::Picture> render = RenderOf(dir / "head.png", dir / "tail.png", 100, 9);
    const std::vector<std::string> options{"--size", "100", "--frames", "9", "--frame-time", "45"};
    const auto run = [&](const std::string& out, std::vector<std::string> more = {}) {
        std::vector<std::string> args{dir / "head.png", dir / "tail.png", dir / out};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), more.begin(), more.end());
        const ProcessResult r = make(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0;
    };
    ASSERT_TRUE(run("spin.gif"));
    const GifInfo info = ReadGifStructure(dir / "spin.gif");
    EXPECT_EQ(std::make_tuple(info.screenWidth, info.screenHeight, info.loopCount), std::make_tuple(100, 100, 0));
    std::vector<int> delays;
    for (const GifFrameInfo& f : info.frames) delays.push_back(f.delayCs);
    EXPECT_EQ(delays, (std::vector<int>{5, 4, 5, 4, 5, 4, 5, 4, 5}));
    const std::vector<RgbaFrame> gif = ReadGifCanvases(dir / "spin.gif");
    ASSERT_EQ(gif.size(), 9u);
    for (size_t k = 0; k < 9; ++k) EXPECT_GE(PsnrOver(gif[k], render[k], 255), 30) << "GIF frame " << k;

    ASSERT_TRUE(run("spin.webp"));
    const WebpAnimation webp = ReadWebpAnimation(dir / "spin.webp");
    ASSERT_TRUE(webp.ok && !webp.frames.empty());
    EXPECT_EQ(std::make_tuple(webp.width, webp.height, webp.loopCount, webp.endsMs.back()), std::make_tuple(100, 100, 0, 405));
    for (size_t k = 0; k < 9; ++k)
        for (int page : {0, 255}) EXPECT_GE(PsnrOver(ShownAt(webp, 45 * int(k)), render[k], page), 30) << "WebP frame " << k;

    ASSERT_TRUE(run("spin.png"));
    const ApngAnimation apng = ReadApng(dir / "spin.png");
    ASSERT_TRUE(apng.ok && apng.frames.size() == 9u);
    EXPECT_EQ(std::make_pair(apng.frameCount, apng.plays), std::make_pair(9, 0));
    for (size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(apng.controls[k].delayNum * 1000, 45 * apng.controls[k].delayDen);
        EXPECT_TRUE(apng.frames[k].width == 100 && apng.frames[k].rgba == render[k].rgba) << "APNG frame " << k;
    }

    ASSERT_TRUE(run("spin.webm"));
    const WebmAnimation webm = ReadWebm(dir / "spin.webm");
    ASSERT_TRUE(webm.ok) << webm.error;
    EXPECT_EQ(std::make_tuple(webm.width, webm.height, webm.durationMs, webm.frames.size()),
              std::make_tuple(100, 100, 405.0, size_t{9}));
    for (size_t k = 0; k < webm.frames.size(); ++k)
        for (int page : {0, 255}) EXPECT_GE(PsnrOver(webm.frames[k], render[k], page), 30) << "WebM frame " << k;

    // A GIF for a dark page: the render laid on that page where it shows, clear around it.
    ASSERT_TRUE(run("dark.gif", {"--matte", "#000000"}));
    const std::vector<RgbaFrame> dark = ReadGifCanvases(dir / "dark.gif");
    ASSERT_EQ(dark.size(), 9u);
    for (size_t k = 0; k < 9; ++k) {
        EXPECT_GE(PsnrOver(dark[k], render[k], 0), 30) << "dark GIF frame " << k;
        EXPECT_EQ(dark[k].at(0, 0)[3], 0);
    }

    // The GIF build's own options beside a rendered output: named once, and nothing done with them.
    const std::string work = dir / "work";
    ASSERT_TRUE(fs::create_directory(work));
    const ProcessResult traced = make({head, tail, dir / "traced.webp", "--size", "40", "--workdir", work, "--trace"});
    EXPECT_EQ(traced.exitCode, 0);
    EXPECT_EQ(traced.out, "");
    EXPECT_EQ(traced.err, "pivra-make: warning: --workdir and --trace apply only to the GIF build; "
                          "this output is rendered from the pictures without them\n");
    EXPECT_TRUE(NamesIn(work).empty());
    EXPECT_TRUE(ReadWebpAnimation(dir / "traced.webp").ok);
}

// Parses "... N frames x T ms, ..., B bytes" from the line a fit prints.
struct FitLine {
    int frames = 0, frameMs = 0;
    long bytes = 0;
};
FitLine ParseFitLine(const std::string& line) {
    FitLine f;
    const size_t px = line.find(" px, ");
    if (px == std::string::npos) return f;
    std::sscanf(line.c_str() + px + 5, "%d frames x %d ms", &f.frames, &f.frameMs);
    std::string digits;
    const size_t end = line.find(" bytes");
    for (size_t i = line.rfind(", ", end) + 2; i < end; ++i)
        if (std::isdigit(static_cast<unsigned char>(line[i]))) digits += line[i];
    f.bytes = digits.empty() ? 0 : std::stol(digits);
    return f;
}

// A budget met by a fit: one line on standard output saying what was chosen
// (the file's very size), the side kept, the file under the budget, one whole
// turn no longer than allowed, looping for ever, and frames close to the
// render at the chosen count. Two destinations of their own and a budget for each other format.
TEST_F(PivraMake, ABudgetIsMetAndTheLineSaysHow) {
    ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 300, 200, 1));
    ASSERT_TRUE(WriteDetailedPicture(dir / "tail.png", 200, 300, 2));
    struct Case { std::string out; std::vector<std::string> args; int side; long budget; int longestMs; std::string says = ""; };
    for (const Case& c : {Case{"slack.gif", {"--for", "slack"}, 128, 128000, 0},
                          Case{"emoji.gif", {"--for", "discord-emoji", "--matte", "#202225"}, 128, 256000, 0},
                          Case{"small.webp", {"--size", "160", "--max-bytes", "60K"}, 160, 60000, 0},
                          Case{"small.png", {"--size", "96", "--frames", "40", "--max-bytes", "150K"}, 96, 150000, 0},
                          Case{"palette.png", {"--size", "96", "--frames", "40", "--max-bytes", "60K"}, 96, 60000, 0, "40 frames x 60 ms, 256 colours"},
                          Case{"fewer.png", {"--size", "64", "--max-bytes", "25K"}, 64, 25000, 0, " colours, "},
                          Case{"small.webm", {"--size", "128", "--max-bytes", "0.03M"}, 128, 30000, 0}}) {
        SCOPED_TRACE(c.out);
        std::vector<std::string> args{dir / "head.png", dir / "tail.png", dir / c.out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = make(args);
        if (c.out == "small.webm") {  // no fractions of a unit
            EXPECT_EQ(r.exitCode, 2);
            continue;
        }
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        const FitLine fit = ParseFitLine(r.out);
        const long size = static_cast<long>(fs::file_size(dir / c.out));
        EXPECT_EQ(fit.bytes, size) << r.out;
        EXPECT_LE(size, c.budget);
        EXPECT_GE(fit.frames, 24) << r.out;
        EXPECT_NE(r.out.find(" " + std::to_string(c.side) + " px, "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        const std::vector<imagelib::Picture> render = RenderOf(dir / "head.png", dir / "tail.png", c.side, fit.frames);
        std::vector<RgbaFrame> frames;
        int turnMs = 0, loops = -1, width = 0;
        const std::string ending = fs::path(c.out).extension().string();
        if (ending == ".gif") {
            const GifInfo info = ReadGifStructure(dir / c.out);
            for (const GifFrameInfo& f : info.frames) turnMs += 10 * f.delayCs;
            loops = info.loopCount, width = info.screenWidth;
            frames = ReadGifCanvases(dir / c.out);
        } else if (ending == ".webp") {
            const WebpAnimation a = ReadWebpAnimation(dir / c.out);
            turnMs = a.endsMs.empty() ? 0 : a.endsMs.back(), loops = a.loopCount, width = a.width;
            for (int k = 0; k < fit.frames; ++k) frames.push_back(ShownAt(a, k * fit.frameMs));
        } else {
            const ApngAnimation a = ReadApng(dir / c.out);
            for (const ApngFrameControl& f : a.controls) turnMs += 1000 * f.delayNum / f.delayDen;
            loops = a.plays, width = a.still.width, frames = a.canvases;
        }
        EXPECT_EQ(std::make_tuple(width, loops, int(frames.size())), std::make_tuple(c.side, 0, fit.frames));
        EXPECT_NEAR(turnMs, fit.frames * fit.frameMs, 5);
        const int page = c.out == "emoji.gif" ? 0x20 : 255;  // near enough the matte's grey for PSNR
        for (size_t k = 0; k < frames.size() && k < render.size(); ++k)
            EXPECT_GE(PsnrOver(frames[k], render[k], page), c.out == "emoji.gif" ? 26 : 30) << "frame " << k;
    }
}

using Crop = PivraMake;

// A red disc on white, 0.8 of the picture's shorter side across.
bool WriteDisc(const std::string& path, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    const double r = std::min(w, h) * 0.4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            image.setPixel(x, y, dx * dx + dy * dy <= r * r ? qRgb(230, 30, 30) : qRgb(255, 255, 255));
        }
    return image.save(QString::fromStdString(path), nullptr, 95);
}

bool Reddish(QRgb p) { return qRed(p) > 150 && qBlue(p) < 100 && qAlpha(p) > 0; }

TEST_F(Crop, KeepsADiscRoundAndASquareAsItWas) {
    for (const auto& [name, w, h] : {std::tuple{"panorama.png", 300, 100}, {"portrait.jpg", 100, 300}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteDisc(dir / name, w, h));
        ASSERT_EQ(make({dir / name, tail, dir / "out.gif", "--scale", "8", "--crop"}).exitCode, 0);
        const QImage face = ReadGifFrames(dir / "out.gif").at(24);  // the head at full width
        int across = 0, down = 0;
        for (int k = 0; k < face.width(); ++k) {
            across += Reddish(face.pixel(k, face.height() / 2));
            down += Reddish(face.pixel(face.width() / 2, k));
        }
        EXPECT_NEAR(across, 77, 3);  // 0.8 of the 96-pixel face
        EXPECT_NEAR(down, 77, 3);
    }
    ASSERT_TRUE(WriteDisc(dir / "square.png", 150, 150));
    ASSERT_EQ(make({dir / "square.png", tail, dir / "squeezed.gif", "--scale", "8"}).exitCode, 0);
    ASSERT_EQ(make({dir / "square.png", tail, dir / "cropped.gif", "--scale", "8", "--crop"}).exitCode, 0);
    EXPECT_EQ(FileContents(dir / "squeezed.gif"), FileContents(dir / "cropped.gif"));
}

// The coin look renders from the pictures themselves: the head face-on
// first, upright, cut to its centre square with --crop, and the tail when
// the coin has turned half way, read the right way round.
TEST_F(PivraMake, CoinLookPlaysAWholeTurnFromThePictures) {
    QImage bands(300, 100, QImage::Format_RGB32);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 100; ++y) bands.setPixel(x, y, x < 100 ? qRgb(220, 20, 20) : x < 200 ? qRgb(20, 200, 20) : qRgb(20, 20, 220));
    ASSERT_TRUE(bands.save(QString::fromStdString(dir / "bands.png")));
    struct Case { std::string option; QColor left, middle, right; };
    for (const Case& c : {Case{"--crop", QColor(20, 200, 20), QColor(20, 200, 20), QColor(20, 200, 20)},
                          Case{"--quiet", QColor(220, 20, 20), QColor(20, 200, 20), QColor(20, 20, 220)}}) {
        SCOPED_TRACE(c.option);
        const std::string out = dir / "coin.png";
        ASSERT_EQ(make({dir / "bands.png", dir / "bands.png", out, "--scale", "8", "--look", "coin", "--light", "off",
                        "--perspective", "off", "--thickness", "0", c.option}).exitCode, 0);
        const ApngAnimation anim = ReadApng(out);
        ASSERT_TRUE(anim.ok);
        ASSERT_EQ(anim.frames.size(), 50u);
        EXPECT_EQ(anim.plays, 0);
        for (const ApngFrameControl& f : anim.controls) EXPECT_EQ(f.delayNum * 1000, 60 * f.delayDen);
        for (const int k : {0, 25}) {
            const RgbaFrame& f = anim.frames[static_cast<size_t>(k)];
            ASSERT_EQ(f.width, 96);
            EXPECT_EQ(f.at(0, 0)[3], 0);
            EXPECT_EQ(f.at(95, 95)[3], 0);
            const auto near = [](const std::uint8_t* p, QColor q) { return CloseColour(qRgb(p[0], p[1], p[2]), q, 12) && p[3] == 255; };
            EXPECT_TRUE(near(f.at(20, 48), c.left)) << "frame " << k;
            EXPECT_TRUE(near(f.at(48, 48), c.middle)) << "frame " << k;
            EXPECT_TRUE(near(f.at(76, 48), c.right)) << "frame " << k;
        }
    }
    // As a GIF for a dark page: the same faces, the outside clear, giflib's reading.
    ASSERT_EQ(make({dir / "bands.png", dir / "bands.png", dir / "coin.gif", "--scale", "8", "--look", "coin",
                    "--matte", "#102030"}).exitCode, 0);
    const std::vector<RgbaFrame> gif = ReadGifCanvases(dir / "coin.gif");
    ASSERT_EQ(gif.size(), 50u);
    EXPECT_EQ(gif[0].at(0, 0)[3], 0);
    EXPECT_TRUE(CloseColour(qRgb(gif[0].at(48, 48)[0], gif[0].at(48, 48)[1], gif[0].at(48, 48)[2]), QColor(20, 200, 20), 40));
}

using Signals = PivraMake;

// One answer for each moment of a signal: before OUTPUT is in place the run
// stops with 128 + the signal and leaves nothing; once it is there, exit 0.
TEST_F(Signals, EachStopSignalCleansUpAndExitsWithItsCode) {
    const std::string out = dir / "out.gif";
    const auto check = [&](const ProcessResult& r, int exitCode) {
        EXPECT_EQ(r.exitCode, exitCode) << r.err;
        EXPECT_TRUE(fs::is_empty(tmp.str())) << "private working folder left behind";
        if (exitCode == 0) { EXPECT_EQ(ReadGifStructure(out).frames.size(), 50u); }
        fs::remove(out);
        EXPECT_EQ(NamesIn(dir.str()), (std::set<std::string>{"head.png", "tail.jpg"}));
    };
    // Trace lines: 3 is a template, 60 a strip, 120 a frame.
    for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        for (int line : {3, 60, 120}) {
            SCOPED_TRACE(std::to_string(signal) + " at trace line " + std::to_string(line));
            ChildProcess run(withMake({head, tail, out, "--trace"}), env());
            ASSERT_TRUE(run.waitForLines(line));
            run.signal(signal);
            check(run.finish(), exitCode);
        }
    }
    // The reader of the trace going away is a SIGPIPE that nobody hears of.
    const ProcessResult r = RunProcess({"/bin/bash", "-c", "'" + kMake + "' \"$@\" | head -n 1 >/dev/null; exit ${PIPESTATUS[0]}",
                                        kMake, head, tail, out, "--trace"}, env());
    EXPECT_EQ(r.err, "");
    check(r, 128 + SIGPIPE);
    // SIGINT just before the assembled animation is renamed into the working
    // folder, and just before OUTPUT is renamed into place.
    for (const auto& [renamedFile, exitCode] : {std::pair{"pivra.gif", 130}, {"out.gif", 0}}) {
        SCOPED_TRACE(std::string("SIGINT at the rename onto ") + renamedFile);
        check(RunProcess(withMake({head, tail, out}), WithShim(env(), {std::string("PIVRA_SHIM_RAISE_AT=") + renamedFile})),
              exitCode);
    }
}

}  // namespace
}  // namespace pivra::test
