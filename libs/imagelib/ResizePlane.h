#pragma once
// A picture in 16-bit quanta as ImageMagick holds it during a resize: red,
// green, blue and opacity (0 opaque), which is what gets weighted.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace pivra::imagelib {

struct Plane {
    int width = 0;
    int height = 0;
    // Not cleared: the pass that makes a plane writes every value.
    std::unique_ptr<std::uint16_t[]> values;
    Plane(int w, int h) : width(w), height(h), values(new std::uint16_t[size()]) {}
    std::size_t size() const { return static_cast<std::size_t>(width) * height * 4; }
    std::uint16_t* at(int x, int y) { return &values[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint16_t* at(int x, int y) const {
        return &values[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

}  // namespace pivra::imagelib
