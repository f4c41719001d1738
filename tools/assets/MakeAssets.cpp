// Draws the installation files and the two sample pictures into a folder:
// the coin mask, the plain canvases and a head and a tail to try the program
// with. Everything is drawn here, so the build needs no binary blobs.
#include <wand/MagickWand.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;  // 0 to 1
};
using Painter = std::function<Rgb(double x, double y)>;  // x, y in 0..1

struct WandDeleter {
    void operator()(MagickWand* w) const { DestroyMagickWand(w); }
};

// Paints w x h pixels, each the average of 4 x 4 samples so edges are smooth.
std::vector<unsigned char> Paint(int w, int h, const Painter& paint) {
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb sum{0, 0, 0};
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const Rgb c = paint((x + (sx + 0.5) / 4) / w, (y + (sy + 0.5) / 4) / h);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<unsigned char>(std::lround(std::clamp(sum.r / 16, 0.0, 1.0) * 255));
            p[1] = static_cast<unsigned char>(std::lround(std::clamp(sum.g / 16, 0.0, 1.0) * 255));
            p[2] = static_cast<unsigned char>(std::lround(std::clamp(sum.b / 16, 0.0, 1.0) * 255));
        }
    return rgb;
}

bool Write(const std::string& path, const char* format, int w, int h, const Painter& paint,
           bool palette = false) {
    std::unique_ptr<MagickWand, WandDeleter> wand(NewMagickWand());
    const std::vector<unsigned char> rgb = Paint(w, h, paint);
    if (MagickConstituteImage(wand.get(), w, h, "RGB", CharPixel, rgb.data()) == MagickFalse ||
        MagickSetImageFormat(wand.get(), format) == MagickFalse ||
        (palette && MagickSetImageType(wand.get(), PaletteType) == MagickFalse) ||
        MagickSetImageCompressionQuality(wand.get(), 92) == MagickFalse ||
        MagickWriteImage(wand.get(), (std::string(format) + ":" + path).c_str()) == MagickFalse) {
        std::fprintf(stderr, "pivra-assets: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

double Dist(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

// A white disc filling the square, on black.
Rgb CoinMask(double x, double y) {
    const double v = Dist(x, y, 0.5, 0.5) <= 0.5 ? 1 : 0;
    return {v, v, v};
}

// Head: a gold coin face with a crowned ring.
Rgb SampleHead(double x, double y) {
    const double d = Dist(x, y, 0.5, 0.5);
    Rgb c{0.93 - 0.35 * d, 0.74 - 0.4 * d, 0.22 - 0.1 * d};
    if (std::abs(d - 0.36) < 0.03) c = {0.55, 0.3, 0.05};
    const bool band = y > 0.52 && y < 0.62 && x > 0.3 && x < 0.7;
    const double tx = std::fmod((x - 0.3) / 0.1, 1.0);
    const bool points = y >= 0.32 && y <= 0.52 && x > 0.3 && x < 0.7 && (0.52 - y) / 0.2 < 1 - std::abs(tx * 2 - 1);
    if (band || points) c = {0.7, 0.08, 0.1};
    return c;
}

// Tail: a blue face with a white five-pointed star.
Rgb SampleTail(double x, double y) {
    const double dx = x - 0.5, dy = y - 0.5;
    Rgb c{0.1 + 0.2 * x, 0.25 + 0.3 * y, 0.65};
    const double a = std::atan2(dy, dx) + M_PI / 2;
    const double sector = std::fmod(a + 4 * M_PI, 2 * M_PI / 5) / (2 * M_PI / 5);
    const double radius = 0.17 + 0.2 * std::abs(sector * 2 - 1);
    if (std::hypot(dx, dy) < radius) c = {0.97, 0.97, 0.92};
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pivra-assets FOLDER\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    MagickWandGenesis();
    const Painter white = [](double, double) { return Rgb{1, 1, 1}; };
    const Painter black = [](double, double) { return Rgb{0, 0, 0}; };
    const bool ok = Write(dir + "pre_mask.bmp", "BMP3", 600, 600, CoinMask) &&
                    Write(dir + "pre_mask.mif", "MIFF", 600, 600, CoinMask, true) &&
                    Write(dir + "pre_white.mif", "MIFF", 600, 600, white) &&
                    Write(dir + "pre_black.bmp", "BMP3", 600, 600, black) &&
                    Write(dir + "sample_head.jpg", "JPEG", 480, 360, SampleHead) &&
                    Write(dir + "sample_tail.jpg", "JPEG", 480, 360, SampleTail);
    MagickWandTerminus();
    return ok ? 0 : 1;
}
