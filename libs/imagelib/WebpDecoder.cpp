#include "WebpDecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

#include "BoxShrink.h"
#include "CommandError.h"
#include "JpegScale.h"
#include "PixelOps.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

// An animation keeps two canvases beside our RGBA.
constexpr std::size_t kStillBytesPerPixel = kWebpStillBytesPerPixel;
constexpr std::size_t kAnimationBytesPerPixel = 4 + 12;

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

[[noreturn]] void failDamaged(const std::string& name) {
    throw CommandError("cannot decode \"" + name + "\": the WebP data is damaged");
}

Picture firstFrameOfAnimation(const std::vector<std::uint8_t>& bytes, const WebPBitstreamFeatures& features,
                              const std::string& name) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) failDamaged(name);
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) failDamaged(name);
    if (static_cast<int>(info.canvas_width) != features.width || static_cast<int>(info.canvas_height) != features.height)
        failDamaged(name);
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr) failDamaged(name);
    Picture frame(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height));
    std::memcpy(frame.rgba.data(), canvas, frame.rgba.size());
    frame.matte = features.has_alpha != 0;
    return frame;
}

// libwebp's own rescaler, row by row as the rows are decoded: only the
// scaled picture is held.
Picture decodeScaled(const std::vector<std::uint8_t>& bytes, const WebPBitstreamFeatures& features,
                     const std::string& name, const ResizeGeometry& resize, bool sidesSwapped) {
    const PixelSize target = resizeTargetFor(resize, {features.width, features.height}, sidesSwapped);
    const int d = BoxShrink::factorFor(features.width, features.height, target.width, target.height);
    Picture picture((features.width + d - 1) / d, (features.height + d - 1) / d);
    checkDecodeBytes(picture.width, picture.height, 4, 64LL * features.width, name);
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) failDamaged(name);
    config.options.use_scaling = 1;
    config.options.scaled_width = picture.width;
    config.options.scaled_height = picture.height;
    config.output.colorspace = MODE_RGBA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = picture.rgba.data();
    config.output.u.RGBA.stride = picture.width * 4;
    config.output.u.RGBA.size = picture.rgba.size();
    const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) failDamaged(name);
    picture.matte = features.has_alpha != 0;
    return picture;
}

}  // namespace

Picture decodeWebp(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize, bool sidesSwapped) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) failDamaged(name);
    checkSize(features.width, features.height, name);
    if (nextResize && !features.has_animation &&
        1ULL * features.width * features.height * kStillBytesPerPixel > kMaxDecodeBytes)
        return decodeScaled(bytes, features, name, *nextResize, sidesSwapped);
    checkDecodeBytes(features.width, features.height,
                     features.has_animation ? kAnimationBytesPerPixel : kStillBytesPerPixel, 0, name);
    if (features.has_animation) return firstFrameOfAnimation(bytes, features, name);

    Picture picture(features.width, features.height);
    const int stride = picture.width * (features.has_alpha ? 4 : 3);
    std::uint8_t* out = features.has_alpha ? picture.rgba.data() : rgbStaging(picture);
    const std::size_t outSize = static_cast<std::size_t>(stride) * picture.height;
    const std::uint8_t* done = features.has_alpha
                                   ? WebPDecodeRGBAInto(bytes.data(), bytes.size(), out, outSize, stride)
                                   : WebPDecodeRGBInto(bytes.data(), bytes.size(), out, outSize, stride);
    if (done == nullptr) failDamaged(name);
    if (!features.has_alpha) spreadRgbToOpaqueRgba(picture);
    picture.matte = features.has_alpha != 0;
    return picture;
}

}  // namespace pivra::imagelib
