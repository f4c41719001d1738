#pragma once
// Moving a Picture into and out of a MagickWand.
#include "MagickHandles.h"
#include "Picture.h"

namespace pivra::imagelib {

// A wand holding the picture; without an alpha channel when it is opaque
// (unless keepAlpha), so encoders write no alpha.
WandPtr wandFromPicture(const Picture& picture, bool keepAlpha = false);

// The wand's current image as 8-bit RGBA.
Picture pictureFromWand(MagickWand* wand);

}  // namespace pivra::imagelib
