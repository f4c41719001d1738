#pragma once
// Phone photos are far larger than a coin face. libjpeg can decode at 1/2,
// 1/4 or 1/8 of the size for a fraction of the time and memory; the resize
// that follows then starts from that. The HEIF decoder shrinks by the same rule.
#include "OptionValues.h"

namespace pivra::imagelib {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The size the resize makes of a picture stored at `stored`, in the stored
// orientation; `sidesSwapped` when the picture is turned on its side first.
PixelSize resizeTargetFor(const ResizeGeometry& resize, PixelSize stored, bool sidesSwapped);

// The scale a JPEG of `full` size headed for `target` is decoded at: the
// smallest of 1/2, 1/4 and 1/8 that still leaves at least twice the target
// each way; 1 (decoded whole, as always) when none does.
int jpegScaleDenominator(PixelSize full, PixelSize target);

}  // namespace pivra::imagelib
