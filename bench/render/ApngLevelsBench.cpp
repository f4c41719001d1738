// Each APNG level the budget fit chooses among (full colour, then one
// shared palette of 256 colours down to 8), at 320 and 512 px and at 24 and
// 50 frames: bytes, encode time, and the mean PSNR over the frames against
// the RGBA render, over black and over white (the lower shown), read back
// by libpng with a walk of the animation chunks that lays each frame on the
// canvas as a player does.
//
//   bench_apng_levels [--quick] [BIN_DIR] [HEAD TAIL]...
//
// --quick: 512 px, 24 frames, 256 and 64 colours only.
// The busy photos of bench_render_encoders (it draws them into
// $TMPDIR/pivra-bench-render/) make a good second pair.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/AnimationEncoders.h"
#include "render/FacePicture.h"
#include "render/FlatLook.h"
#include "support/FrameCompare.h"

namespace fs = std::filesystem;
using pivra::imagelib::Picture;

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    if (quick) --argc, ++argv;
    const std::vector<int> sides = quick ? std::vector<int>{512} : std::vector<int>{320, 512};
    const std::vector<int> counts = quick ? std::vector<int>{24} : std::vector<int>{24, 50};
    const std::vector<int> levels = quick ? std::vector<int>{256, 64} : std::vector<int>{0, 256, 192, 128, 96, 64, 48, 32, 16, 8};
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    std::vector<std::pair<std::string, std::string>> pairs = {{bin + "/sample_head.jpg", bin + "/sample_tail.jpg"}};
    for (int i = 2; i + 1 < argc; i += 2) pairs.push_back({argv[i], argv[i + 1]});
    const fs::path file = fs::temp_directory_path() / "pivra-bench-apng-levels.png";
    std::printf("%-14s %5s %6s %-12s %9s %7s %7s %8s\n", "pictures", "side", "frames", "level", "bytes", "black", "white", "encode s");
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
                for (const int colours : levels) {
                    std::vector<std::uint8_t> bytes;
                    const auto start = std::chrono::steady_clock::now();
                    const bool ok = pivra::EncodeApng([&render](int k) { return render[size_t(k)]; }, frames, 60,
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
                    const std::string level = colours == 0 ? "full colour" : std::to_string(colours) + " colours";
                    std::printf("%-14s %5d %6d %-12s %9zu %7.1f %7.1f %8.3f%s\n", fs::path(head).stem().c_str(), side, frames,
                                level.c_str(), bytes.size(), black, white, seconds, a.ok ? "" : "  UNREADABLE");
                }
            }
        }
    return 0;
}
