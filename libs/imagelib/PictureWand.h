#pragma once
// Handing a Picture to a MagickWand for encoding.
#include "MagickHandles.h"
#include "Picture.h"

namespace pivra::imagelib {

// A wand holding the picture; without an alpha channel when it is opaque
// (unless keepAlpha), so encoders write no alpha.
WandPtr wandFromPicture(const Picture& picture, bool keepAlpha = false);

}  // namespace pivra::imagelib
