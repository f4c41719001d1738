// Each APNG level the budget fit chooses among (full colour, then one
// shared palette of 256 colours down to 8, as FitLevels lists them), at 320 and 512 px and at 24 and
// 50 frames: bytes, encode time, and the mean PSNR over the frames against
// the RGBA render, over black and over white (the lower shown), read back
// by libpng with a walk of the animation chunks that lays each frame on the
// canvas as a player does.
//
//   bench_apng_levels [--quick] [BIN_DIR] [HEAD TAIL]...
//
// --quick: 320 px, 24 frames, 256 and 128 colours only.
// Beside ours, libimagequant's shared palette (not dithered, and dithered)
// for the same frames at 256, 128 and 32 colours, its frames written by the
// same APNG writer; this program alone links it.
//
// The busy photos of bench_render_encoders (it draws them into
// $TMPDIR/pivra-bench-render/) make a good second pair.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <libimagequant.h>

#include <memory>

#include "render/AnimationEncoders.h"
#include "render/FacePicture.h"
#include "render/FlatLook.h"
#include "support/FrameCompare.h"

namespace fs = std::filesystem;
using pivra::imagelib::Picture;

namespace {

// The frames through one libimagequant palette learnt from all of them, as RGBA again.
bool LiqFrames(const std::vector<Picture>& render, int colours, float dither, std::vector<Picture>& out) {
    std::unique_ptr<liq_attr, void (*)(liq_attr*)> attr(liq_attr_create(), liq_attr_destroy);
    liq_set_max_colors(attr.get(), colours);
    using Image = std::unique_ptr<liq_image, void (*)(liq_image*)>;
    std::unique_ptr<liq_histogram, void (*)(liq_histogram*)> histogram(liq_histogram_create(attr.get()), liq_histogram_destroy);
    for (const Picture& p : render) {
        Image image(liq_image_create_rgba(attr.get(), p.rgba.data(), p.width, p.height, 0), liq_image_destroy);
        if (liq_histogram_add_image(histogram.get(), attr.get(), image.get()) != LIQ_OK) return false;
    }
    liq_result* made = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &made) != LIQ_OK) return false;
    std::unique_ptr<liq_result, void (*)(liq_result*)> result(made, liq_result_destroy);
    liq_set_dithering_level(result.get(), dither);
    out.clear();
    for (const Picture& p : render) {
        Image image(liq_image_create_rgba(attr.get(), p.rgba.data(), p.width, p.height, 0), liq_image_destroy);
        std::vector<std::uint8_t> indices(p.pixelCount());
        if (liq_write_remapped_image(result.get(), image.get(), indices.data(), indices.size()) != LIQ_OK) return false;
        const liq_palette* palette = liq_get_palette(result.get());
        Picture q(p.width, p.height);
        for (size_t i = 0; i < indices.size(); ++i) {
            const liq_color& c = palette->entries[indices[i]];
            q.rgba[i * 4] = c.r, q.rgba[i * 4 + 1] = c.g, q.rgba[i * 4 + 2] = c.b, q.rgba[i * 4 + 3] = c.a;
        }
        out.push_back(std::move(q));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    if (quick) --argc, ++argv;
    const std::vector<int> sides = quick ? std::vector<int>{320} : std::vector<int>{320, 512};
    const std::vector<int> counts = quick ? std::vector<int>{24} : std::vector<int>{24, 50};
    const std::vector<int> levels = quick ? std::vector<int>{256, 128} : std::vector<int>{0, 256, 224, 192, 160, 128, 96, 64, 32, 16, 8};
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    std::vector<std::pair<std::string, std::string>> pairs = {{bin + "/sample_head.jpg", bin + "/sample_tail.jpg"}};
    for (int i = 2; i + 1 < argc; i += 2) pairs.push_back({argv[i], argv[i + 1]});
    const fs::path file = fs::temp_directory_path() / "pivra-bench-apng-levels.png";
    std::printf("%-14s %5s %6s %-24s %9s %7s %7s %8s\n", "pictures", "side", "frames", "level", "bytes", "black", "white", "encode s");
    for (const auto& [head, tail] : pairs)
        for (const int side : sides) {
            Picture h, t;
            std::string why;
            if (!pivra::LoadFacePicture(head, side, false, h, why) || !pivra::LoadFacePicture(tail, side, false, t, why)) {
                std::printf("cannot read %s or %s: %s\n", head.c_str(), tail.c_str(), why.c_str());
                return 1;
            }
            for (const int frames : counts) {
                const pivra::FlatLook look(h, t, side, frames);
                std::vector<Picture> render;
                for (int k = 0; k < frames; ++k) render.push_back(look.frame(k));
                // Ours, then libimagequant's palette (plain and dithered) through the same writer.
                for (const int way : {0, 1, 2})
                for (const int colours : levels) {
                    if (way > 0 && (quick || (colours != 256 && colours != 128 && colours != 32))) continue;
                    std::vector<Picture> liq;
                    const auto start = std::chrono::steady_clock::now();
                    if (way > 0 && !LiqFrames(render, colours, way == 2 ? 1.0f : 0.0f, liq)) {
                        std::printf("libimagequant refused\n");
                        return 1;
                    }
                    const std::vector<Picture>& source = way > 0 ? liq : render;
                    std::vector<std::uint8_t> bytes;
                    const bool ok = pivra::EncodeApng([&source](int k) { return source[size_t(k)]; }, frames, 60,
                                                      pivra::ApngSettings{colours}, bytes, why);
                    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                    if (!ok) {
                        std::printf("refused: %s\n", why.c_str());
                        return 1;
                    }
                    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
                    const pivra::test::ApngAnimation a = pivra::test::ReadApng(file);
                    double black = 0, white = 0;
                    for (int k = 0; a.ok && k < frames; ++k) {
                        black += pivra::test::PsnrOver(a.canvases[size_t(k)], render[size_t(k)], 0) / frames;
                        white += pivra::test::PsnrOver(a.canvases[size_t(k)], render[size_t(k)], 255) / frames;
                    }
                    const std::string level = (colours == 0 ? "full colour" : std::to_string(colours) + " colours") +
                                              (way == 1 ? ", liq" : way == 2 ? ", liq dithered" : "");
                    std::printf("%-14s %5d %6d %-24s %9zu %7.1f %7.1f %8.3f%s\n", fs::path(head).stem().c_str(), side, frames,
                                level.c_str(), bytes.size(), black, white, seconds, a.ok ? "" : "  UNREADABLE");
                }
            }
        }
    return 0;
}
