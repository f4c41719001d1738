#pragma once
// One decoded picture: 8-bit RGBA, rows top-down, no padding.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pivra::imagelib {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    // How the picture was held when read: a colour table (GIF, palette BMP,
    // palette MIFF) and an alpha channel. convert picks its resize filter
    // from these, so they travel with the pixels.
    bool palette = false;
    bool matte = false;

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}

    std::size_t pixelCount() const { return static_cast<std::size_t>(width) * height; }
    std::uint8_t* pixel(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* pixel(int x, int y) const {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
    bool isOpaque() const {
        for (std::size_t i = 3; i < rgba.size(); i += 4)
            if (rgba[i] != 255) return false;
        return true;
    }
    bool hasAlpha() const { return matte || !isOpaque(); }
};

}  // namespace pivra::imagelib
