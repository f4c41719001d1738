#pragma once
// Turning a picture stored with an EXIF Orientation the way it is meant to be seen.
#include "Picture.h"

namespace pivra::imagelib {

// Orientations 5 to 8 are stored on their side: width and height swap.
inline bool turnsOnItsSide(int orientation) { return orientation >= 5 && orientation <= 8; }

// The picture as meant to be seen, from its stored pixels and orientation
// (1 to 8; anything else leaves it as it is). Flags travel with the pixels.
Picture turnUpright(Picture stored, int orientation);

}  // namespace pivra::imagelib
