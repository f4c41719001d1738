// Each destination met by a whole `pivra-make --for NAME` run: its wall time,
// the file read back by a decoder not ours (giflib, libwebp's demuxer,
// libpng with a walk of the animation chunks, libwebm and libvpx), checked
// for the exact side, the budget, the longest turn and looping for ever, and
// its quality: the mean PSNR over the frames against the RGBA render at the
// chosen frame count, over black and over white (the lower is shown) for
// the formats with alpha, over its page for a GIF. Then a --size 192
// --frames 50 GIF beside the --scale 16 build's: bytes and PSNR over white.
//
// Each run's CPU time (user and system, all its threads) and the load
// average beside its wall time: the machine may be shared.
//
//   bench_destinations [--busy] [BIN_DIR] [HEAD TAIL]...
//
// --busy: also a pair of busy photos drawn as bench_render_encoders draws
// them (4000 x 3000 and 3000 x 4000).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BusyPhoto.h"
#include "render/Destinations.h"
#include "render/FacePicture.h"
#include "render/FlatLook.h"
#include "support/FrameCompare.h"
#include "support/GifInspect.h"
#include "support/RunProcess.h"
#include "support/WebmReader.h"

namespace fs = std::filesystem;
using pivra::imagelib::Picture;
using pivra::test::RgbaFrame;

namespace {

std::vector<Picture> Render(const std::string& head, const std::string& tail, int side, int frames) {
    Picture h, t;
    std::string why;
    if (!pivra::LoadFacePicture(head, side, false, h, why) || !pivra::LoadFacePicture(tail, side, false, t, why)) return {};
    const pivra::FlatLook look(h, t, side, frames);
    std::vector<Picture> out;
    for (int k = 0; k < frames; ++k) out.push_back(look.frame(k));
    return out;
}

double Mean(const std::vector<RgbaFrame>& shown, const std::vector<Picture>& render, int page, int offset = 0) {
    if (shown.size() != render.size() || shown.empty()) return 0;
    double sum = 0;
    for (size_t k = 0; k < shown.size(); ++k) sum += pivra::test::PsnrOver(shown[(k + offset) % shown.size()], render[k], page);
    return sum / shown.size();
}

struct Read {
    int side = 0, loops = -1, turnMs = 0;
    std::vector<RgbaFrame> frames;  // one per frame of the turn
};

Read ReadBack(const std::string& path, pivra::AnimationFormat format, int frames, int frameMs,
              pivra::test::ChromaUpsampling way = pivra::test::ChromaUpsampling::Nearest) {
    Read r;
    using pivra::AnimationFormat;
    if (format == AnimationFormat::Gif) {
        const pivra::test::GifInfo info = pivra::test::ReadGifStructure(path);
        for (const auto& f : info.frames) r.turnMs += 10 * f.delayCs;
        r.side = info.screenWidth, r.loops = info.loopCount, r.frames = pivra::test::ReadGifCanvases(path);
    } else if (format == AnimationFormat::Webp) {
        const pivra::test::WebpAnimation a = pivra::test::ReadWebpAnimation(path);
        r.side = a.width, r.loops = a.loopCount, r.turnMs = a.endsMs.empty() ? 0 : a.endsMs.back();
        for (int k = 0; k < frames && !a.frames.empty(); ++k) {
            size_t shown = 0;
            while (shown + 1 < a.frames.size() && a.endsMs[shown] <= k * frameMs) ++shown;
            r.frames.push_back(a.frames[shown]);
        }
    } else if (format == AnimationFormat::Apng) {
        const pivra::test::ApngAnimation a = pivra::test::ReadApng(path);
        for (const auto& f : a.controls) r.turnMs += 1000 * f.delayNum / std::max(1, f.delayDen);
        r.side = a.still.width, r.loops = a.plays, r.frames = a.canvases;
    } else {
        const pivra::test::WebmAnimation a = pivra::test::ReadWebm(path, way);
        r.side = a.width, r.loops = 0 /* a player loops the video */, r.turnMs = int(a.durationMs), r.frames = a.frames;
    }
    return r;
}

double ChildrenCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_CHILDREN, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool busy = argc > 1 && std::string(argv[1]) == "--busy";
    if (busy) --argc, ++argv;
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    std::vector<std::pair<std::string, std::string>> pairs = {{bin + "/sample_head.jpg", bin + "/sample_tail.jpg"}};
    for (int i = 2; i + 1 < argc; i += 2) pairs.push_back({argv[i], argv[i + 1]});
    const fs::path out = fs::temp_directory_path() / "pivra-bench-destinations";
    fs::create_directories(out);
    if (busy) {
        pivra::bench::DrawBusyPhoto(out / "busy_head.jpg", 4000, 3000, 1);
        pivra::bench::DrawBusyPhoto(out / "busy_tail.jpg", 3000, 4000, 2);
        pairs.push_back({out / "busy_head.jpg", out / "busy_tail.jpg"});
    }
    const std::string make = bin + "/pivra-make";
    bool allMet = true;
    std::printf("%-16s %-16s %6s %6s %-58s %5s %6s %6s %5s\n", "pictures", "destination", "bytes", "turn", "chosen", "dB", "run s",
                "cpu s", "load");
    for (const auto& [head, tail] : pairs) {
        const std::string name = fs::path(head).stem().string();
        for (const pivra::Destination& d : pivra::Destinations()) {
            const std::string file = (out / (std::string(d.name) + pivra::EndingOf(d.format))).string();
            std::vector<std::string> args{make, head, tail, file, "--for", d.name};
            const bool gif = d.format == pivra::AnimationFormat::Gif;
            const double cpuBefore = ChildrenCpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            const pivra::test::ProcessResult run = pivra::test::RunProcess(args);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double cpu = ChildrenCpuSeconds() - cpuBefore;
            if (run.exitCode != 0) {
                std::printf("%-16s %-16s not met: %s", name.c_str(), d.name, run.err.c_str());
                allMet = false;
                continue;
            }
            int frames = 0, frameMs = 0;
            std::sscanf(run.out.c_str() + run.out.find(" px, ") + 5, "%d frames x %d ms", &frames, &frameMs);
            const Read r = ReadBack(file, d.format, frames, frameMs);
            const std::vector<Picture> render = Render(head, tail, d.side, frames);
            const double db = gif ? Mean(r.frames, render, 255) : std::min(Mean(r.frames, render, 0), Mean(r.frames, render, 255));
            // A WebM's chroma as libvpx's tools spread it, and as browsers do.
            char also[48] = "";
            if (d.format == pivra::AnimationFormat::Webm) {
                const Read b = ReadBack(file, d.format, frames, frameMs, pivra::test::ChromaUpsampling::Bilinear);
                std::snprintf(also, sizeof also, "  bilinear chroma %.1f dB",
                              std::min(Mean(b.frames, render, 0), Mean(b.frames, render, 255)));
            }
            const auto bytes = fs::file_size(file);
            const bool met = r.side == d.side && bytes <= d.maxBytes && r.loops == 0 &&
                             (d.longestTurnMs == 0 || r.turnMs <= d.longestTurnMs) && db >= 30;
            allMet = allMet && met;
            std::string line = run.out.substr(0, run.out.find('\n'));
            std::printf("%-16s %-16s %6zu %6d %-58s %5.1f %6.2f %6.2f %5.1f%s%s\n", name.c_str(), d.name, size_t(bytes), r.turnMs,
                        line.c_str(), db, seconds, cpu, LoadAverage(), met ? "" : "  NOT MET", also);
        }
        // The same GIF size and length from the renderer and from the build's commands.
        const std::string rendered = (out / "rendered.gif").string(), built = (out / "built.gif").string();
        const auto t0 = std::chrono::steady_clock::now();
        pivra::test::RunProcess({make, head, tail, rendered, "--size", "192", "--frames", "50"});
        const auto t1 = std::chrono::steady_clock::now();
        pivra::test::RunProcess({make, head, tail, built, "--scale", "16"});
        const auto t2 = std::chrono::steady_clock::now();
        const std::vector<Picture> render = Render(head, tail, 192, 50);
        // The build starts with the tail face-on, half a turn on from the render's frame 0.
        std::printf("%-16s GIF 192 px, 50 frames: rendered %zu bytes, %.1f dB, %.2f s; built %zu bytes, %.1f dB, %.2f s\n",
                    name.c_str(), size_t(fs::file_size(rendered)), Mean(pivra::test::ReadGifCanvases(rendered), render, 255),
                    std::chrono::duration<double>(t1 - t0).count(), size_t(fs::file_size(built)),
                    Mean(pivra::test::ReadGifCanvases(built), render, 255, 25), std::chrono::duration<double>(t2 - t1).count());
    }
    return allMet ? 0 : 1;
}
