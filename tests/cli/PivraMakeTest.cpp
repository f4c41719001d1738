// pivra-make as a user runs it, with its own $TMPDIR (so private working folders
// left behind are seen): its refusals, the trace of a whole run against the golden
// command list, folders of any length, edges on a page, the WebP and APNG outputs
// (read back by libwebp's demuxing decoder and by libpng with a walk of the
// animation chunks, against the render of the faces the run kept, and that render
// against the GIF), --crop, and the stop signals.
#include <signal.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "PictureLoader.h"
#include "builder/BuiltFaces.h"
#include "render/SpinRender.h"
#include "support/AnimationReaders.h"
#include "support/ChildProcess.h"
#include "support/DeepFolder.h"
#include "support/FileContents.h"
#include "support/GifInspect.h"
#include "support/GoldenCommands.h"
#include "support/RunProcess.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

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
        {{head, tail, out}, 1, {dir / "gone", "No such file or directory"}, dir / "gone"},
        {{head, tail, out, "--trace"}, 1, {"trace", "No space left on device"}, "", "/dev/full"},
        {{head, tail, out, "--scale", "51"}, 2, {"1 to 50"}},
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

// Relative picture paths are made absolute; standard error is not a terminal: no
// bar. --crop changes the two face conversions only.
TEST_F(PivraMake, WholeRunWithTrace) {
    for (const std::string crop : {"", " --crop"}) {
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
            if (!crop.empty()) expected.at(line) = {"Morphex.dll", picture, "-resize", "192X192^", "-gravity", "center",
                                                    "-crop", "192X192+0+0", "+repage", app + "Masks/" + face};
        EXPECT_EQ(trace, expected);
        const GifInfo info = ReadGifStructure(dir / "spin.gif");
        EXPECT_EQ(std::make_pair(info.frames.size(), info.screenWidth), std::make_pair(size_t{50}, 192));
        EXPECT_TRUE(fs::is_empty(tmp.str()));
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
    for (const std::vector<std::string> kind : {std::vector<std::string>{".gif", "--scale", "9"}, {".gif", "--matte", "navy"},
                                                 {".webp", "--scale", "9"}, {".png", "--scale", "9"}}) {
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
        EXPECT_FALSE(traces[0].empty());
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

// PSNR of two frames laid over the same opaque grey page, in dB (99 when equal).
double PsnrOver(const RgbaFrame& shown, const imagelib::Picture& reference, int page) {
    const auto over = [page](std::uint8_t c, std::uint8_t a) { return (c * a + page * (255 - a)) / 255.0; };
    double sum = 0;
    for (size_t i = 0; i < reference.rgba.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) {
            const double d = over(shown.rgba[i + c], shown.rgba[i + 3]) - over(reference.rgba[i + c], reference.rgba[i + 3]);
            sum += d * d;
        }
    const double mse = sum / (reference.pixelCount() * 3.0);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Pixels partly covered, and pixels visible at all.
std::pair<int, int> Coverage(const std::vector<std::uint8_t>& rgba) {
    int partly = 0, visible = 0;
    for (size_t i = 3; i < rgba.size(); i += 4) partly += rgba[i] != 0 && rgba[i] != 255, visible += rgba[i] != 0;
    return {partly, visible};
}

// Frames of the render of the faces a run kept in its working folder.
std::vector<imagelib::Picture> RenderOf(const std::string& workdir) {
    SpinRender spin(imagelib::loadPicture(workdir + "/" + kBuiltHeadFace), imagelib::loadPicture(workdir + "/" + kBuiltTailFace));
    std::vector<imagelib::Picture> frames;
    for (int k = 0; k < spin.frameCount(); ++k) frames.push_back(spin.frame(k));
    return frames;
}

TEST_F(PivraMake, WebpPlaysTheRenderEvery60MsForEverWithItsRimHalfCovered) {
    ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 200, 150, 1));
    ASSERT_TRUE(WriteDetailedPicture(dir / "tail.png", 120, 160, 2));
    const std::string work = dir / "work";
    for (const auto& [options, leastDb] : {std::pair{std::vector<std::string>{"--scale", "8"}, 36.0},
                                           {{"--scale", "4", "--lossless"}, 99.0}}) {
        SCOPED_TRACE(options.back());
        std::vector<std::string> args{dir / "head.png", dir / "tail.png", dir / "spin.webp", "--workdir", work};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(make(args).exitCode, 0);
        const std::vector<imagelib::Picture> render = RenderOf(work);
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

// The APNG is the render exactly; the render follows the GIF's plan: for each
// frame the same face, width and place, its alpha the coin's area, its colour the face's alone.
TEST_F(PivraMake, ApngIsTheRenderExactlyAndTheRenderShowsWhatTheGifShows) {
    const QColor headColour(200, 30, 40), tailColour(20, 60, 210);
    ASSERT_TRUE(WriteSolidPicture(dir / "head.png", 90, 60, headColour));
    ASSERT_TRUE(WriteSolidPicture(dir / "tail.png", 60, 90, tailColour));
    const std::string work = dir / "work";
    for (const char* out : {"spin.gif", "spin.png"})
        ASSERT_EQ(make({dir / "head.png", dir / "tail.png", dir / out, "--scale", "8", "--workdir", work}).exitCode, 0);
    const std::vector<imagelib::Picture> render = RenderOf(work);
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
        const imagelib::Picture& r = render[k];
        EXPECT_TRUE(anim.frames[k].width == side && anim.frames[k].rgba == r.rgba);
        // Where each shows anything on the middle row, and the face there.
        int gifFirst = -1, gifLast = -1, first = -1, last = -1;
        for (int x = 0; x < side; ++x) {
            if (qAlpha(gif[k].pixel(x, mid)) != 0) gifLast = x, gifFirst = gifFirst < 0 ? x : gifFirst;
            if (r.pixel(x, mid)[3] != 0) last = x, first = first < 0 ? x : first;
        }
        EXPECT_LE(std::max(std::abs(first - gifFirst), std::abs(last - gifLast)), 1);
        if (first < 0) continue;
        const QColor face = k >= 13 && k <= 36 ? headColour : tailColour;
        EXPECT_TRUE(CloseColour(gif[k].pixel((first + last) / 2, mid), face, 6));
        for (size_t i = 0; i < r.rgba.size(); i += 4)
            if (r.rgba[i + 3] != 0) { ASSERT_TRUE(CloseColour(qRgb(r.rgba[i], r.rgba[i + 1], r.rgba[i + 2]), face, 2)); }
    }
    // Full width: the disc's area, pi r^2, to a fraction of a pixel per row.
    double covered = 0;
    for (size_t i = 3; i < render[0].rgba.size(); i += 4) covered += render[0].rgba[i] / 255.0;
    EXPECT_NEAR(covered, M_PI * mid * mid, side * 0.05);
    EXPECT_GT(Coverage(render[0].rgba).first, side / 2) << "the rim is partly transparent";
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

using Signals = PivraMake;

TEST_F(Signals, EachStopSignalCleansUpAndExitsWithItsCode) {
    // Trace lines: 3 is a template, 60 a strip, 120 a frame, 141 the assembly (the
    // output is then whole or absent, and the run may have ended before the signal came).
    for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        for (int line : {3, 60, 120, 141}) {
            SCOPED_TRACE(std::to_string(signal) + " at trace line " + std::to_string(line));
            ChildProcess run(withMake({head, tail, dir / "out.gif", "--trace"}), env());
            ASSERT_TRUE(run.waitForLines(line));
            run.signal(signal);
            const ProcessResult r = run.finish();
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

}  // namespace
}  // namespace pivra::test
