#pragma once
// A face picture sampled where a turned coin squeezes it sideways: the
// picture is kept at several widths (each half the one before, box-filtered
// across only), and a sample blends the two widths nearest the squeeze, so a
// face seen nearly edge-on is averaged rather than picked at single pixels.
#include <vector>

#include "Picture.h"

namespace pivra {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;  // 0 to 1, colour premultiplied by a
};

class FaceSampler {
public:
    // face: square, the coin's diameter across; its alpha is kept.
    explicit FaceSampler(const imagelib::Picture& face);

    int side() const { return side_; }
    // The colour at (u, v), in pixels of the full face (0 to side), where
    // one screen pixel spans `squeeze` pixels of the face across (1 or more).
    Rgba sample(double u, double v, double squeeze) const;

private:
    struct Level {
        int width = 0;
        std::vector<float> premultiplied;  // r, g, b, a per pixel, premultiplied by a
    };
    Rgba bilinear(const Level& level, double u, double v) const;

    int side_;
    std::vector<Level> levels_;
};

}  // namespace pivra
