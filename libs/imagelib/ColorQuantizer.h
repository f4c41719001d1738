#pragma once
// Reduces a Picture to at most 256 palette entries for GIF.
#include <array>
#include <cstdint>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

struct PaletteColor {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
    std::vector<PaletteColor> palette;  // 1 to 256 entries
    int transparentIndex = -1;          // -1 when every pixel is opaque
};

// Alpha below half becomes the transparent entry, anything else is opaque.
// maxColours entries or fewer (counting the transparent one; 2 to 256) are
// kept exactly; more are reduced by median cut over a 15-bit histogram.
IndexedPicture quantizePicture(const Picture& picture, int maxColours = 256);

}  // namespace pivra::imagelib
