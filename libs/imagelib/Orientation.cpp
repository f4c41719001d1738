#include "Orientation.h"

#include <cstring>
#include <utility>

namespace pivra::imagelib {

Picture turnUpright(Picture stored, int orientation) {
    if (orientation < 2 || orientation > 8) return stored;
    const int w = stored.width, h = stored.height;
    Picture upright = turnsOnItsSide(orientation) ? Picture(h, w) : Picture(w, h);
    upright.palette = stored.palette;
    upright.matte = stored.matte;
    // For each upright pixel (x, y), the stored pixel it shows.
    for (int y = 0; y < upright.height; ++y) {
        std::uint8_t* out = upright.pixel(0, y);
        for (int x = 0; x < upright.width; ++x, out += 4) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;                      // mirrored left to right
                case 3: sx = w - 1 - x; sy = h - 1 - y; break;      // upside down
                case 4: sy = h - 1 - y; break;                      // mirrored top to bottom
                case 5: sx = y; sy = x; break;                      // transposed
                case 6: sx = y; sy = h - 1 - x; break;              // to be turned 90 degrees clockwise
                case 7: sx = w - 1 - y; sy = h - 1 - x; break;      // transversed
                case 8: sx = w - 1 - y; sy = x; break;              // to be turned 90 degrees anticlockwise
            }
            std::memcpy(out, stored.pixel(sx, sy), 4);
        }
    }
    return upright;
}

}  // namespace pivra::imagelib
