#include "JpegDecoder.h"

#include "PixelOps.h"

#include "CommandError.h"
#include "IjlDecoder.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

using namespace ijl;

[[noreturn]] void fail(IJLERR status, const IjlDecoder& decoder, const std::string& name) {
    if (status == IJL_TRUNCATED) failEndsEarly(name);
    std::string reason;
    switch (status) {
        case IJL_OUT_OF_MEMORY: reason = "out of memory"; break;
        case IJL_UNSUPPORTED_FEATURE:
        case IJL_UNSUPPORTED_COLOR: reason = "a kind of JPEG this program does not read"; break;
        default: reason = "the picture's data is damaged"; break;
    }
    const std::string detail = decoder.lastMessage();
    if (!detail.empty()) reason += " (" + detail + ")";
    throw CommandError("cannot decode \"" + name + "\": " + reason);
}

}  // namespace

using ijl::IJLERR;

Picture decodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize, bool sidesSwapped) {
    ijl::IjlDecoder decoder;
    if (!decoder.ready()) throw CommandError("cannot decode \"" + name + "\": out of memory");
    ijl::JpegParams params;
    IJLERR status = decoder.readParams(bytes.data(), bytes.size(), params);
    if (status != IJL_OK) fail(status, decoder, name);

    checkSize(params.width, params.height, name);
    if (!params.arithmetic && params.blocks / 8 > static_cast<long long>(bytes.size())) failEndsEarly(name);
    // A progressive picture's coefficients are held whole, at any scale.
    const long long coefficients = params.progressive ? params.blocks * 128 : 0;

    const PixelSize stored{params.width, params.height};
    const int denominator =
        nextResize ? jpegScaleDenominator(stored, resizeTargetFor(*nextResize, stored, sidesSwapped)) : 1;
    if (denominator > 1 && (params.channels == 1 || params.channels == 3)) {
        checkDecodeBytes((params.width + denominator - 1) / denominator, (params.height + denominator - 1) / denominator,
                         4, coefficients, name);
        // libjpeg rounds a scaled side up.
        Picture scaled((params.width + denominator - 1) / denominator, (params.height + denominator - 1) / denominator);
        const ijl::PixelTarget target{rgbStaging(scaled), scaled.width, scaled.height, std::int64_t{scaled.width} * 3,
                                      false, IJL_RGB};
        if (decoder.readImage(bytes.data(), bytes.size(), denominator, target) == IJL_OK) {
            spreadRgbToOpaqueRgba(scaled);
            scaled.palette = params.channels == 1;  // as below
            return scaled;
        }
        // Anything the scaled read refuses is read whole, which says what is wrong.
    }

    checkDecodeBytes(params.width, params.height, 4, coefficients, name);
    Picture picture(params.width, params.height);
    status = decoder.readRgba(bytes.data(), bytes.size(), picture.rgba.data(), params.width, params.height);
    if (status != IJL_OK) fail(status, decoder, name);
    // ImageMagick holds a grey JPEG with a colour table, and convert's resize
    // filter follows that; keep the same choice.
    picture.palette = params.channels == 1;
    return picture;
}

}  // namespace pivra::imagelib
