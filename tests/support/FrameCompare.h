#pragma once
// How close a decoded frame is to the render it was made from.
#include <cmath>

#include "Picture.h"
#include "support/AnimationReaders.h"

namespace pivra::test {

// PSNR of two frames laid over the same opaque grey page, in dB (99 when equal).
inline double PsnrOver(const RgbaFrame& shown, const imagelib::Picture& reference, int page) {
    const auto over = [page](std::uint8_t c, std::uint8_t a) { return (c * a + page * (255 - a)) / 255.0; };
    double sum = 0;
    for (size_t i = 0; i < reference.rgba.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) {
            const double d = over(shown.rgba[i + c], shown.rgba[i + 3]) - over(reference.rgba[i + c], reference.rgba[i + 3]);
            sum += d * d;
        }
    const double mse = sum / (reference.pixelCount() * 3.0);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace pivra::test
