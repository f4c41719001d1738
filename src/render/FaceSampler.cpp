#include "FaceSampler.h"

#include <algorithm>
#include <cmath>

namespace pivra {

FaceSampler::FaceSampler(const imagelib::Picture& face) : side_(face.width) {
    Level full;
    full.width = face.width;
    full.premultiplied.resize(face.pixelCount() * 4);
    for (std::size_t i = 0; i < face.pixelCount(); ++i) {
        const float a = face.rgba[i * 4 + 3] / 255.0f;
        for (int c = 0; c < 3; ++c) full.premultiplied[i * 4 + c] = face.rgba[i * 4 + c] / 255.0f * a;
        full.premultiplied[i * 4 + 3] = a;
    }
    levels_.push_back(std::move(full));
    // Halved across until one pixel wide; rows stay as they are.
    while (levels_.back().width > 1) {
        const Level& from = levels_.back();
        Level half;
        half.width = (from.width + 1) / 2;
        half.premultiplied.assign(static_cast<std::size_t>(half.width) * face.height * 4, 0.0f);
        for (int y = 0; y < face.height; ++y)
            for (int x = 0; x < half.width; ++x) {
                const int x0 = 2 * x, x1 = std::min(2 * x + 1, from.width - 1);
                for (int c = 0; c < 4; ++c)
                    half.premultiplied[(static_cast<std::size_t>(y) * half.width + x) * 4 + c] =
                        0.5f * (from.premultiplied[(static_cast<std::size_t>(y) * from.width + x0) * 4 + c] +
                                from.premultiplied[(static_cast<std::size_t>(y) * from.width + x1) * 4 + c]);
            }
        levels_.push_back(std::move(half));
    }
}

Rgba FaceSampler::bilinear(const Level& level, double u, double v) const {
    // Pixel centres at half-integers; the edge pixels reach the border.
    const double fx = std::clamp(u * level.width / side_ - 0.5, 0.0, level.width - 1.0);
    const double fy = std::clamp(v - 0.5, 0.0, side_ - 1.0);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, level.width - 1), y1 = std::min(y0 + 1, side_ - 1);
    const float ax = static_cast<float>(fx - x0), ay = static_cast<float>(fy - y0);
    const auto at = [&](int x, int y) { return &level.premultiplied[(static_cast<std::size_t>(y) * level.width + x) * 4]; };
    const float *p00 = at(x0, y0), *p10 = at(x1, y0), *p01 = at(x0, y1), *p11 = at(x1, y1);
    float out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = (p00[c] * (1 - ax) + p10[c] * ax) * (1 - ay) + (p01[c] * (1 - ax) + p11[c] * ax) * ay;
    return {out[0], out[1], out[2], out[3]};
}

Rgba FaceSampler::sample(double u, double v, double squeeze) const {
    const double level = std::clamp(std::log2(std::max(squeeze, 1.0)), 0.0, levels_.size() - 1.0);
    const int l0 = static_cast<int>(level);
    const int l1 = std::min(l0 + 1, static_cast<int>(levels_.size()) - 1);
    const float t = static_cast<float>(level - l0);
    Rgba a = bilinear(levels_[static_cast<std::size_t>(l0)], u, v);
    if (t > 0) {
        const Rgba b = bilinear(levels_[static_cast<std::size_t>(l1)], u, v);
        a = {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
    }
    return a;
}

}  // namespace pivra
