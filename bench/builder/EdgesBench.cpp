// The coin's edges on a page, and what WebP and APNG cost, from whole
// pivra-make runs: for solid dark faces, the sample pictures and a photo-like
// pair, at scale 16 (and 50 for the WebP's time).
//
//   rim fringe  the share of the rim's pixels (those the coin's edge crosses,
//               by a 16 x 16 sampling of the ellipse made here) that come out
//               near-white: laid over the page, more than 48 levels of luma
//               lighter than the face laid over it by the coin's true cover.
//   PSNR        each WebP frame as libwebp's demuxer shows it against the RGBA
//               render of the faces the run kept, both laid over black and
//               over white; the worst frame.
//   time        wall-clock seconds of whole runs (min and median of
//               interleaved runs) and the CPU seconds of the median one.
//
//   bench_edges [BIN_DIR] [REPEATS]     (make bench)
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "PictureLoader.h"
#include "render/FacePicture.h"
#include "render/FlatLook.h"
#include "support/AnimationReaders.h"
#include "support/GifInspect.h"

extern char** environ;

namespace fs = std::filesystem;
using pivra::test::RgbaFrame;

namespace {

struct Run {
    double wall = 0, cpu = 0;
    int exitCode = -1;
};

Run runOnce(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Every frame as straight RGBA, whatever the kind of file.
std::vector<RgbaFrame> FramesOf(const std::string& path) {
    std::vector<RgbaFrame> frames;
    const std::string ext = fs::path(path).extension();
    if (ext == ".gif") {
        for (const QImage& image : pivra::test::ReadGifFrames(path)) {
            const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
            RgbaFrame f{rgba.width(), rgba.height(), {}};
            for (int y = 0; y < rgba.height(); ++y)
                f.rgba.insert(f.rgba.end(), rgba.constScanLine(y), rgba.constScanLine(y) + rgba.width() * 4);
            frames.push_back(std::move(f));
        }
    } else if (ext == ".webp") {
        const pivra::test::WebpAnimation anim = pivra::test::ReadWebpAnimation(path);
        // Frame k is what shows at 60k ms.
        size_t shown = 0;
        for (int k = 0; k < 50 && anim.ok; ++k) {
            while (shown + 1 < anim.endsMs.size() && anim.endsMs[shown] <= 60 * k) ++shown;
            frames.push_back(anim.frames[shown]);
        }
    } else {
        frames = pivra::test::ReadApng(path).frames;
    }
    return frames;
}

double Luma(double r, double g, double b) { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }
double Over(double c, double a, double page) { return c * a + page * (1 - a); }

// The coin's true cover of each pixel of frame k: the ellipse that fills the
// frame's strip of width |k % 25 - 12| steps, by 16 x 16 samples.
std::vector<double> TrueCover(int side, int k) {
    const int w = std::abs(k % 25 - 12) * side / 12;
    std::vector<double> cover(static_cast<size_t>(side) * side, 0.0);
    if (w == 0) return cover;
    const double cx = (side - w) / 2 + w / 2.0, a = w / 2.0, b = side / 2.0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int in = 0;
            for (int sy = 0; sy < 16; ++sy)
                for (int sx = 0; sx < 16; ++sx) {
                    const double u = (x + (sx + 0.5) / 16 - cx) / a, v = (y + (sy + 0.5) / 16 - b) / b;
                    in += u * u + v * v <= 1;
                }
            cover[static_cast<size_t>(y) * side + x] = in / 256.0;
        }
    return cover;
}

// Near-white rim pixels in percent, over a grey page of that level.
double RimFringe(const std::vector<RgbaFrame>& frames, const std::vector<std::vector<double>>& covers,
                 const QColor& head, const QColor& tail, int page) {
    long rim = 0, fringe = 0;
    for (size_t k = 0; k < frames.size() && k < covers.size(); ++k) {
        const QColor face = k >= 13 && k <= 36 ? head : tail;
        const RgbaFrame& f = frames[k];
        for (size_t i = 0; i < covers[k].size(); ++i) {
            const double c = covers[k][i];
            if (c <= 0 || c >= 1) continue;
            ++rim;
            const std::uint8_t* p = &f.rgba[i * 4];
            const double a = p[3] / 255.0;
            const double shown = Luma(Over(p[0], a, page), Over(p[1], a, page), Over(p[2], a, page));
            const double meant = Luma(Over(face.red(), c, page), Over(face.green(), c, page), Over(face.blue(), c, page));
            fringe += shown - meant > 48;
        }
    }
    return rim ? 100.0 * fringe / rim : 0;
}

double WorstPsnr(const std::vector<RgbaFrame>& shown, const std::vector<pivra::imagelib::Picture>& render, int page) {
    double worst = 99;
    for (size_t k = 0; k < shown.size() && k < render.size(); ++k) {
        double sum = 0;
        const std::vector<std::uint8_t>& s = shown[k].rgba;
        const std::vector<std::uint8_t>& r = render[k].rgba;
        for (size_t i = 0; i < r.size(); i += 4)
            for (size_t c = 0; c < 3; ++c) {
                const double d = Over(s[i + c], s[i + 3] / 255.0, page) - Over(r[i + c], r[i + 3] / 255.0, page);
                sum += d * d;
            }
        const double mse = sum / (r.size() / 4 * 3.0);
        if (mse > 0) worst = std::min(worst, 10 * std::log10(255.0 * 255.0 / mse));
    }
    return worst;
}

bool WriteSolid(const std::string& path, QColor colour) {
    QImage image(240, 180, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(QString::fromStdString(path));
}

// A photo-like picture: gradients, waves and grain.
bool WritePhoto(const std::string& path, int seed) {
    QImage image(640, 480, QImage::Format_RGB32);
    std::uint32_t noise = static_cast<std::uint32_t>(seed) * 2654435761u;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            image.setPixel(x, y, qRgb(std::clamp(x * 255 / 640 + grain, 0, 255), std::clamp(y * 255 / 480 + grain, 0, 255),
                                      std::clamp(int(128 + 90 * std::sin((x + seed * y) / 60.0)) + grain, 0, 255)));
        }
    return image.save(QString::fromStdString(path), "JPG", 88);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const fs::path scratch = fs::temp_directory_path() / ("pivra-edges-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const auto at = [&](const std::string& name) { return (scratch / name).string(); };
    const std::string make = bin + "/pivra-make";
    const QColor darkHead(0x30, 0x28, 0x38), darkTail(0x20, 0x30, 0x28);
    if (!WriteSolid(at("dark-head.png"), darkHead) || !WriteSolid(at("dark-tail.png"), darkTail) ||
        !WritePhoto(at("photo-head.jpg"), 1) || !WritePhoto(at("photo-tail.jpg"), 2)) {
        std::fprintf(stderr, "cannot write the pictures in %s\n", scratch.c_str());
        return 1;
    }
    struct Pair { const char* label; std::string head, tail; };
    const Pair pairs[] = {{"solid dark faces", at("dark-head.png"), at("dark-tail.png")},
                          {"sample pictures", bin + "/sample_head.jpg", bin + "/sample_tail.jpg"},
                          {"photo-like pair", at("photo-head.jpg"), at("photo-tail.jpg")}};
    int failures = 0;
    const auto build = [&](const Pair& p, const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args{make, p.head, p.tail, at(out), "--quiet", "--workdir", at("work")};
        args.insert(args.end(), extra.begin(), extra.end());
        const Run r = runOnce(args);
        failures += r.exitCode != 0;
        return r;
    };

    // Edges: solid dark faces at scale 16.
    std::vector<std::vector<double>> covers;
    for (int k = 0; k < 50; ++k) covers.push_back(TrueCover(192, k));
    std::printf("rim fringe, solid dark faces at scale 16 (%% of rim pixels near-white)\n");
    std::printf("%-26s %8s %8s %8s\n", "output", "black", "grey", "white");
    struct Output { const char* label; std::string file; std::vector<std::string> options; int ownPage; };
    const Output outputs[] = {{"GIF", "e.gif", {}, -1},
                              {"GIF --matte black", "m0.gif", {"--matte", "black"}, 0},
                              {"GIF --matte #808080", "m128.gif", {"--matte", "#808080"}, 128},
                              {"WebP (quality 80)", "e.webp", {}, -1},
                              {"APNG", "e.png", {}, -1}};
    for (const Output& o : outputs) {
        build(pairs[0], o.file, o.options);
        std::vector<RgbaFrame> frames = FramesOf(at(o.file));
        // WebP and APNG start with the head face-on, half a turn on from the build's frame 0.
        if (o.ownPage < 0 && frames.size() == 50) std::rotate(frames.begin(), frames.begin() + 25, frames.end());
        std::printf("%-26s", o.label);
        for (int page : {0, 128, 255}) {
            if (o.ownPage >= 0 && page != o.ownPage) std::printf(" %8s", "-");
            else std::printf(" %8.2f", frames.size() == 50 ? RimFringe(frames, covers, darkHead, darkTail, page) : -1.0);
        }
        std::printf("\n");
    }

    // WebP against the render, and sizes.
    std::printf("\nscale 16: WebP (quality 80) against the RGBA render; sizes\n");
    std::printf("%-20s %12s %12s %10s %10s %10s %8s\n", "pictures", "PSNR black", "PSNR white", "GIF KB", "WebP KB",
                "APNG KB", "WebP/GIF");
    for (const Pair& p : pairs) {
        build(p, "s.gif", {});
        build(p, "s.png", {});
        build(p, "s.webp", {});
        // WebP renders the flat look from the pictures themselves.
        pivra::imagelib::Picture head, tail;
        std::string why;
        pivra::LoadFacePicture(p.head, 192, false, head, why);
        pivra::LoadFacePicture(p.tail, 192, false, tail, why);
        const pivra::FlatLook render(head, tail, 192, 50);
        std::vector<pivra::imagelib::Picture> frames;
        for (int k = 0; k < render.frameCount(); ++k) frames.push_back(render.frame(k));
        const std::vector<RgbaFrame> shown = FramesOf(at("s.webp"));
        const double gif = fs::file_size(at("s.gif")) / 1024.0, webp = fs::file_size(at("s.webp")) / 1024.0;
        std::printf("%-20s %12.2f %12.2f %10.1f %10.1f %10.1f %8.3f\n", p.label, WorstPsnr(shown, frames, 0),
                    WorstPsnr(shown, frames, 255), gif, webp, fs::file_size(at("s.png")) / 1024.0, webp / gif);
    }

    // Whole runs, interleaved.
    struct Timed { const char* label; const Pair* pair; std::string out; std::vector<std::string> options; std::vector<Run> runs; };
    std::vector<Timed> timed = {
        {"GIF, scale 16", &pairs[1], "t.gif", {}, {}},
        {"GIF --matte, scale 16", &pairs[1], "t.gif", {"--matte", "#1e2228"}, {}},
        {"WebP, scale 16", &pairs[1], "t.webp", {}, {}},
        {"WebP, scale 50", &pairs[1], "t.webp", {"--scale", "50"}, {}},
        {"APNG, scale 16", &pairs[1], "t.png", {}, {}},
        {"WebP, dark, scale 16", &pairs[0], "t.webp", {}, {}},
    };
    for (int i = 0; i < repeats; ++i)
        for (Timed& t : timed) {
            std::vector<std::string> args{make, t.pair->head, t.pair->tail, at(t.out), "--quiet"};
            args.insert(args.end(), t.options.begin(), t.options.end());
            t.runs.push_back(runOnce(args));
            failures += t.runs.back().exitCode != 0;
        }
    std::printf("\nwhole pivra-make runs (sample pictures unless said), %d interleaved runs each\n", repeats);
    std::printf("%-26s %8s %10s %12s\n", "case", "min s", "median s", "median CPU s");
    for (const Timed& t : timed) {
        std::vector<double> wall, cpu;
        for (const Run& r : t.runs) wall.push_back(r.wall), cpu.push_back(r.cpu);
        std::printf("%-26s %8.3f %10.3f %12.3f\n", t.label, *std::min_element(wall.begin(), wall.end()), Median(wall),
                    Median(cpu));
    }
    fs::remove_all(scratch);
    if (failures) std::printf("%d run(s) failed\n", failures);
    return failures ? 1 : 0;
}
