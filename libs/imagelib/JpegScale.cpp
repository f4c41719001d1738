#include "JpegScale.h"

#include "MagickHandles.h"
#include "MagickSession.h"

namespace pivra::imagelib {

int jpegScaleDenominator(PixelSize full, PixelSize target) {
    for (int denominator : {8, 4, 2}) {
        // libjpeg rounds a scaled side up.
        const long long width = (full.width + denominator - 1) / denominator;
        const long long height = (full.height + denominator - 1) / denominator;
        if (width >= 2LL * target.width && height >= 2LL * target.height) return denominator;
    }
    return 1;
}

std::optional<PixelSize> reducedJpegSize(const std::vector<std::uint8_t>& bytes, PixelSize target) {
    WandPtr ping = newWand();
    MagickSetFormat(ping.get(), "JPEG");
    if (MagickPingImageBlob(ping.get(), bytes.data(), bytes.size()) == MagickFalse) return std::nullopt;
    const PixelSize full{static_cast<int>(MagickGetImageWidth(ping.get())),
                         static_cast<int>(MagickGetImageHeight(ping.get()))};
    const int denominator = jpegScaleDenominator(full, target);
    if (denominator == 1) return std::nullopt;
    // ImageMagick divides by the whole part of full / asked: asking for the
    // side rounded down makes that exactly the denominator.
    return PixelSize{full.width / denominator, full.height / denominator};
}

}  // namespace pivra::imagelib
