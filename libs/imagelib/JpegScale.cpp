#include "JpegScale.h"

#include <initializer_list>

namespace pivra::imagelib {

PixelSize resizeTargetFor(const ResizeGeometry& resize, PixelSize stored, bool sidesSwapped) {
    PixelSize shown = sidesSwapped ? PixelSize{stored.height, stored.width} : stored;
    PixelSize target;
    applyGeometry(resize, shown.width, shown.height, target.width, target.height);
    return sidesSwapped ? PixelSize{target.height, target.width} : target;
}

int jpegScaleDenominator(PixelSize full, PixelSize target) {
    for (int denominator : {8, 4, 2}) {
        // libjpeg rounds a scaled side up.
        const long long width = (full.width + denominator - 1) / denominator;
        const long long height = (full.height + denominator - 1) / denominator;
        if (width >= 2LL * target.width && height >= 2LL * target.height) return denominator;
    }
    return 1;
}

}  // namespace pivra::imagelib
