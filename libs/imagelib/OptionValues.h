#pragma once
// Parsing of option values in the convert/composite vocabulary.
#include <string>

#include "PixelOps.h"

namespace pivra::imagelib {

struct ResizeGeometry {
    int width = 0;
    int height = 0;
    bool exact = false;  // "!": exactly this size, aspect ratio not kept
    bool fill = false;   // "^": the smallest size covering it, aspect ratio kept
};

// "WxH" (fit inside, aspect kept), "WxH!" (exact) or "WxH^" (cover); x or X. CommandError otherwise.
ResizeGeometry parseGeometry(const std::string& text);

// The size a picture of width x height gets under the geometry.
void applyGeometry(const ResizeGeometry& geometry, int width, int height, int& outWidth,
                   int& outHeight);

// "white", "black" (any case), "#RGB" or "#RRGGBB". CommandError otherwise.
Rgb parseColor(const std::string& text);

// A whole number from 0 to max, digits only. CommandError otherwise.
int parseCount(const std::string& option, const std::string& text, int max);

// GIF disposal method: Undefined 0, None 1, Background 2, Previous 3, or the digit.
int parseDisposal(const std::string& text);

// A region "WxH+X+Y" (each offset + or -), as -crop takes it.
struct CropGeometry {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

// CommandError unless both sides and both offsets are given.
CropGeometry parseCropGeometry(const std::string& text);

enum class Gravity { NorthWest, North, NorthEast, West, Center, East, SouthWest, South, SouthEast };

Gravity parseGravity(const std::string& text);

// Where a crop region's top-left corner lies on a picture under the gravity,
// as ImageMagick places it: the centre halves each side on its own.
void cropOrigin(Gravity gravity, const CropGeometry& crop, int width, int height, int& x, int& y);

// Where src's top-left corner goes on base under the gravity.
void gravityOffset(Gravity gravity, int baseWidth, int baseHeight, int srcWidth, int srcHeight,
                   int& x, int& y);

}  // namespace pivra::imagelib
