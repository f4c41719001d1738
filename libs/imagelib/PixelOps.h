#pragma once
// The pixel work of the commands, on 8-bit RGBA.
#include <cstdint>

#include "Picture.h"

namespace pivra::imagelib {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// Decoders write RGB into the back three quarters of an RGBA picture's
// buffer (rgbStaging) and then spread it forwards into RGBA with alpha 255:
// pixel i is read before any write reaches it, so no second buffer is needed.
inline std::uint8_t* rgbStaging(Picture& picture) { return picture.rgba.data() + picture.pixelCount(); }
void spreadRgbToOpaqueRgba(Picture& picture);

// Inverts red, green and blue; alpha is left as it is.
void negateColors(Picture& picture);

// Every pixel of exactly this colour (any alpha) becomes fully transparent.
void makeColorTransparent(Picture& picture, Rgb color);

// Blends red, green and blue toward fill by percent (0 to 100); alpha is
// left as it is.
void colorize(Picture& picture, Rgb fill, int percent);

// Lays partly transparent pixels over an opaque background colour.
void flattenOnto(Picture& picture, Rgb background);

// Porter-Duff "over": src, with its alpha, on base with src's top-left at (x, y).
void compositeOver(const Picture& src, Picture& base, int x, int y);

// Mixes src into base through a mask aligned with base's top-left corner:
// weight m = (1 - intensity(mask)) * alpha(mask), result = base*(1-m) + src*m
// in premultiplied form. src sits at (x, y); outside src or mask, base stays.
void compositeThroughMask(const Picture& src, Picture& base, const Picture& mask, int x, int y);

}  // namespace pivra::imagelib
