// The renderer's encoders measured on the sample pictures and on a pair of
// busy photos. GIF: our median cut per frame (what EncodeAnimatedGif uses)
// beside libimagequant per frame and shared, with and without dithering,
// and with fewer colours: bytes, mean PSNR over frames against the render
// laid on the white page the GIF is made for, and encode time (run with
// OMP_NUM_THREADS=1 for libimagequant on one thread, as ours). What 4:2:0
// allows before any encoder: the frames turned to YUV each way we can and
// straight back, the chroma spread over the pixels as players do (nearest or
// bilinear). WebM, at a few settings: bytes, mean PSNR over black and over
// white with either spreading, encode time. Every file is read back by
// giflib, or by libwebm and libvpx.
//
//   OMP_NUM_THREADS=1 bench_render_encoders [--webm|--ceiling] [BIN_DIR] [BUSY_HEAD BUSY_TAIL]
//
// --webm: the 4:2:0 and WebM tables alone; --ceiling: the 4:2:0 table. Without BUSY_HEAD and BUSY_TAIL it draws
// its own pair of busy, colourful "phone photos" (4000 x 3000 and 3000 x
// 4000 JPEGs: hundreds of bright discs and stripes over a noisy gradient),
// the same every run. The frames: 50, each face squeezed from full width to
// nothing and back as the build's plan does, at any side, alpha the share
// of each pixel the coin covers.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <libimagequant.h>

#include <random>

#include "BusyPhoto.h"
#include "PictureLoader.h"
#include "Resizer.h"
#include "render/CoinCoverage.h"
#include "render/GifAnimation.h"
#include "render/AnimationEncoders.h"
#include "render/Yuv420.h"
#include "support/FrameCompare.h"
#include "support/GifInspect.h"
#include "support/WebmReader.h"

namespace fs = std::filesystem;
using pivra::imagelib::Picture;
using pivra::test::RgbaFrame;

namespace {

// One turn of 50 frames at any side: widths step by side/12 from full to 0.
struct AnySideSpin {
    Picture head, tail;
    int side;
    AnySideSpin(const std::string& headPath, const std::string& tailPath, int s) : side(s) {
        const auto load = [s](const std::string& path) {
            const pivra::imagelib::LoadedPicture p = pivra::imagelib::loadPicture(path);
            return pivra::imagelib::resizePicture(*p.picture, s, s, p.source);
        };
        head = load(headPath), tail = load(tailPath);
    }
    Picture frame(int k) const {
        Picture out(side, side);
        const int step = k % 25, pass = k / 25;
        const int width = static_cast<int>(std::lround(side * std::abs(12 - step) / 12.0));
        if (width == 0) return out;
        // As the build: tail, blank, head, head, blank, tail.
        const bool headFace = (pass == 0) == (step > 12);
        const Picture face = pivra::imagelib::resizePicture(headFace ? head : tail, width, side, {});
        const Picture cover = pivra::CoinCoverage(width, side);
        const int left = (side - width) / 2;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* c = face.pixel(x, y);
                std::uint8_t* p = out.pixel(left + x, y);
                p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = cover.pixel(x, y)[0];
            }
        return out;
    }
};

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

double MeanPsnr(const std::vector<RgbaFrame>& shown, const std::vector<Picture>& render, int page) {
    if (shown.size() != render.size()) return -1;
    double sum = 0;
    for (size_t k = 0; k < render.size(); ++k) sum += std::min(60.0, pivra::test::PsnrOver(shown[k], render[k], page));
    return sum / double(render.size());
}

// libimagequant's palettes for the same frames on their page, written by
// the same GIF writer: a table per frame, or one learnt from every frame.
struct LiqWay {
    int colours;
    bool shared;
    float dither;
};

bool EncodeWithLiq(const std::vector<Picture>& render, const LiqWay& way, std::vector<std::uint8_t>& bytes) {
    const std::array<std::uint8_t, 3> white{255, 255, 255};
    std::unique_ptr<liq_attr, void (*)(liq_attr*)> attr(liq_attr_create(), liq_attr_destroy);
    liq_set_max_colors(attr.get(), way.colours);
    using Image = std::unique_ptr<liq_image, void (*)(liq_image*)>;
    using Result = std::unique_ptr<liq_result, void (*)(liq_result*)>;
    std::vector<Picture> paged;
    for (const Picture& frame : render) paged.push_back(pivra::OnPage(frame, white));
    Result shared(nullptr, liq_result_destroy);
    if (way.shared) {
        std::unique_ptr<liq_histogram, void (*)(liq_histogram*)> histogram(liq_histogram_create(attr.get()), liq_histogram_destroy);
        for (const Picture& p : paged) {
            Image image(liq_image_create_rgba(attr.get(), p.rgba.data(), p.width, p.height, 0), liq_image_destroy);
            if (liq_histogram_add_image(histogram.get(), attr.get(), image.get()) != LIQ_OK) return false;
        }
        liq_result* made = nullptr;
        if (liq_histogram_quantize(histogram.get(), attr.get(), &made) != LIQ_OK) return false;
        shared.reset(made);
    }
    pivra::GifFrameWriter writer;
    for (size_t k = 0; k < paged.size(); ++k) {
        const Picture& p = paged[k];
        Image image(liq_image_create_rgba(attr.get(), p.rgba.data(), p.width, p.height, 0), liq_image_destroy);
        Result own(nullptr, liq_result_destroy);
        if (!shared) {
            liq_result* made = nullptr;
            if (liq_image_quantize(image.get(), attr.get(), &made) != LIQ_OK) return false;
            own.reset(made);
        }
        liq_result* result = shared ? shared.get() : own.get();
        liq_set_dithering_level(result, way.dither);
        pivra::imagelib::IndexedPicture indexed;
        indexed.width = p.width, indexed.height = p.height;
        indexed.indices.assign(p.pixelCount(), 0);
        if (liq_write_remapped_image(result, image.get(), indexed.indices.data(), indexed.indices.size()) != LIQ_OK) return false;
        const liq_palette* palette = liq_get_palette(result);
        for (unsigned i = 0; i < palette->count; ++i) {
            const liq_color& c = palette->entries[i];
            indexed.palette.push_back({c.r, c.g, c.b});
            if (c.a < 128 && indexed.transparentIndex < 0) indexed.transparentIndex = int(i);
        }
        writer.add(indexed, pivra::GifDelayCs(int(k), 60));
    }
    bytes = writer.finish();
    return true;
}

struct GifWay {
    const char* name;
    std::function<bool(const std::vector<Picture>&, std::vector<std::uint8_t>&)> encode;
};

}  // namespace

int main(int argc, char** argv) {
    // --webm: the WebM tables alone.
    const bool ceilingOnly = argc > 1 && std::string(argv[1]) == "--ceiling";
    const bool webmOnly = ceilingOnly || (argc > 1 && std::string(argv[1]) == "--webm");
    if (webmOnly) --argc, ++argv;
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> pairs = {
        {"sample", {bin + "/sample_head.jpg", bin + "/sample_tail.jpg"}}};
    const fs::path out = fs::temp_directory_path() / "pivra-bench-render";
    fs::create_directories(out);
    if (argc > 3) {
        pairs.push_back({"busy photos", {argv[2], argv[3]}});
    } else {
        pivra::bench::DrawBusyPhoto(out / "busy_head.jpg", 4000, 3000, 1);
        pivra::bench::DrawBusyPhoto(out / "busy_tail.jpg", 3000, 4000, 2);
        pairs.push_back({"busy photos", {out / "busy_head.jpg", out / "busy_tail.jpg"}});
    }
    const auto liq = [](LiqWay way) {
        return [way](const std::vector<Picture>& render, std::vector<std::uint8_t>& bytes) { return EncodeWithLiq(render, way, bytes); };
    };
    const std::vector<GifWay> ways = {
        {"ours: median cut, per frame", [](const std::vector<Picture>& render, std::vector<std::uint8_t>& bytes) {
             std::string why;
             return pivra::EncodeAnimatedGif([&render](int k) { return render[size_t(k)]; }, int(render.size()), 60,
                                             pivra::GifSettings{}, bytes, why);
         }},
        {"ours: median cut, per frame, 128", [](const std::vector<Picture>& render, std::vector<std::uint8_t>& bytes) {
             std::string why;
             return pivra::EncodeAnimatedGif([&render](int k) { return render[size_t(k)]; }, int(render.size()), 60,
                                             pivra::GifSettings{128, std::nullopt}, bytes, why);
         }},
        {"libimagequant, per frame", liq({256, false, 0})},
        {"libimagequant, per frame, dithered", liq({256, false, 1})},
        {"libimagequant, shared", liq({256, true, 0})},
        {"libimagequant, shared, dithered", liq({256, true, 1})},
        {"libimagequant, per frame, 128", liq({128, false, 0})},
        {"libimagequant, per frame, 64", liq({64, false, 0})},
    };
    if (!webmOnly) {
        std::printf("GIF, 50 frames of 60 ms, made for a white page; PSNR over white, mean of the frames\n");
        std::printf("%-12s %5s  %-38s %9s %8s %8s\n", "pictures", "side", "palette", "bytes", "PSNR dB", "encode s");
    }
    for (const auto& [name, files] : pairs)
        for (int side : {192, 512}) {
            if (webmOnly) break;
            const AnySideSpin spin(files.first, files.second, side);
            std::vector<Picture> render;
            for (int k = 0; k < 50; ++k) render.push_back(spin.frame(k));
            for (const GifWay& way : ways) {
                std::vector<std::uint8_t> bytes;
                bool ok = false;
                const double s = Seconds([&] { ok = way.encode(render, bytes); });
                if (!ok) {
                    std::printf("%s: failed\n", way.name);
                    return 1;
                }
                Save(out / "spin.gif", bytes);
                std::printf("%-12s %5d  %-38s %9zu %8.2f %8.3f\n", name.c_str(), side, way.name, bytes.size(),
                            MeanPsnr(pivra::test::ReadGifCanvases(out / "spin.gif"), render, 255), s);
            }
        }
    // What 4:2:0 itself allows, before any encoder: the frames turned to
    // YUV and straight back, the chroma spread as a player may.
    using pivra::ChromaFit;
    using pivra::test::ChromaUpsampling;
    const std::vector<std::pair<const char*, ChromaFit>> fits = {
        {"block mean", ChromaFit::BlockMean},    {"fitted luma", ChromaFit::FittedLuma}, {"for bilinear", ChromaFit::ForBilinear},
        {"for nearest", ChromaFit::ForNearest}, {"for both", ChromaFit::ForBoth}};
    std::printf("\n4:2:0 without an encoder, 50 frames; PSNR mean of the frames over black / over white\n");
    std::printf("%-12s %5s %-12s %15s %15s %9s\n", "pictures", "side", "chroma", "nearest", "bilinear", "convert s");
    for (const auto& [name, files] : pairs)
        for (int side : {192, 512}) {
            const AnySideSpin spin(files.first, files.second, side);
            std::vector<Picture> render;
            for (int k = 0; k < 50; ++k) render.push_back(spin.frame(k));
            for (const auto& [fitName, fit] : fits) {
                const int cw = (side + 1) / 2;
                std::vector<std::uint8_t> y(size_t(side) * side), u(size_t(cw) * cw), v(u.size()), a(y.size());
                std::vector<RgbaFrame> nearest, bilinear;
                double s = 0;
                for (const Picture& frame : render) {
                    s += Seconds([&] { pivra::RgbaToYuv420(frame, {y.data(), side, u.data(), v.data(), cw, a.data(), side}, fit); });
                    const pivra::test::Yuv420View view{side, side, y.data(), side, u.data(), v.data(), cw, a.data(), side};
                    nearest.push_back(pivra::test::FromYuv420(view, ChromaUpsampling::Nearest));
                    bilinear.push_back(pivra::test::FromYuv420(view, ChromaUpsampling::Bilinear));
                }
                std::printf("%-12s %5d %-12s %7.2f/%7.2f %7.2f/%7.2f %9.3f\n", name.c_str(), side, fitName,
                            MeanPsnr(nearest, render, 0), MeanPsnr(nearest, render, 255), MeanPsnr(bilinear, render, 0),
                            MeanPsnr(bilinear, render, 255), s);
            }
        }
    if (ceilingOnly) {
        fs::remove_all(out);
        return 0;
    }
    std::printf("\nWebM (VP9 with alpha), 50 frames of 60 ms; PSNR mean of the frames over black / over white\n");
    std::printf("%-12s %5s %-32s %9s %15s %15s %8s\n", "pictures", "side", "settings", "bytes", "nearest", "bilinear",
                "encode s");
    struct WebmWay {
        const char* name;
        pivra::WebmSettings settings;
        std::vector<int> sides;
    };
    const std::vector<WebmWay> webmWays = {
        {"default (70, alpha 60, 4)", {}, {192, 512, 600}},
        {"block mean", {ChromaFit::BlockMean}, {192, 512}},
        {"for both", {ChromaFit::ForBoth}, {192, 512}},
        {"for bilinear", {ChromaFit::ForBilinear}, {512}},
        {"quality 95", {ChromaFit::FittedLuma, 95}, {512}},
        {"quality 95, block mean", {ChromaFit::BlockMean, 95}, {512}},
        {"quality 95, for both", {ChromaFit::ForBoth, 95}, {512}},
        {"alpha 85", {ChromaFit::FittedLuma, 70, 85, 4}, {512}},
        {"quality 50", {ChromaFit::FittedLuma, 50, 60, 4}, {512}},
        {"speed 6", {ChromaFit::FittedLuma, 70, 60, 6}, {512, 600}},
    };
    for (const auto& [name, files] : pairs)
        for (const WebmWay& way : webmWays)
            for (int side : way.sides) {
                const AnySideSpin spin(files.first, files.second, side);
                std::vector<Picture> render;
                for (int k = 0; k < 50; ++k) render.push_back(spin.frame(k));
                std::vector<std::uint8_t> bytes;
                std::string why;
                bool ok = false;
                const double s = Seconds([&] {
                    ok = pivra::EncodeWebm([&render](int k) { return render[size_t(k)]; }, 50, 60, way.settings, bytes, why);
                });
                if (!ok) {
                    std::printf("WebM: %s\n", why.c_str());
                    return 1;
                }
                Save(out / "spin.webm", bytes);
                const pivra::test::WebmAnimation nearest = pivra::test::ReadWebm(out / "spin.webm", ChromaUpsampling::Nearest);
                const pivra::test::WebmAnimation bilinear = pivra::test::ReadWebm(out / "spin.webm", ChromaUpsampling::Bilinear);
                std::printf("%-12s %5d %-32s %9zu %7.2f/%7.2f %7.2f/%7.2f %8.3f\n", name.c_str(), side, way.name, bytes.size(),
                            MeanPsnr(nearest.frames, render, 0), MeanPsnr(nearest.frames, render, 255),
                            MeanPsnr(bilinear.frames, render, 0), MeanPsnr(bilinear.frames, render, 255), s);
            }
    fs::remove_all(out);
    return 0;
}
