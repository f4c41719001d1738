#include "CoinCoverage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pivra {

imagelib::Picture CoinCoverage(int width, int height) {
    // Sixteen rows of samples per pixel row; along each, the chord of the
    // ellipse is measured exactly, so a pixel's share is its area inside.
    constexpr int kRows = 16;
    const double a = width / 2.0, b = height / 2.0;
    imagelib::Picture cover(width, height);
    std::vector<double> share(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(share.begin(), share.end(), 0.0);
        for (int s = 0; s < kRows; ++s) {
            const double dy = (y + (s + 0.5) / kRows - b) / b;
            if (std::fabs(dy) >= 1.0) continue;
            const double half = a * std::sqrt(1.0 - dy * dy), lo = a - half, hi = a + half;
            for (int x = static_cast<int>(lo); x < width && x < hi; ++x)
                share[static_cast<size_t>(x)] += (std::min(x + 1.0, hi) - std::max(double(x), lo)) / kRows;
        }
        for (int x = 0; x < width; ++x) {
            const double v = std::clamp(share[static_cast<size_t>(x)], 0.0, 1.0);
            std::uint8_t* p = cover.pixel(x, y);
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(std::lround(v * 255));
            p[3] = 255;
        }
    }
    return cover;
}

}  // namespace pivra
