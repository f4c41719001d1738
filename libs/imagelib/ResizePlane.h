#pragma once
// A picture in 16-bit quanta as ImageMagick holds it during a resize: red,
// green, blue and opacity (0 opaque), which is what gets weighted.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pivra::imagelib {

struct Plane {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> values;
    Plane(int w, int h) : width(w), height(h), values(static_cast<std::size_t>(w) * h * 4) {}
    std::uint16_t* at(int x, int y) { return &values[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint16_t* at(int x, int y) const {
        return &values[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

}  // namespace pivra::imagelib
