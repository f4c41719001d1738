#include "WebpDecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

#include "CommandError.h"
#include "PixelOps.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

// libwebp's own store beside our RGBA: a lossless picture is decoded whole
// before it is handed over; an animation keeps two canvases.
constexpr std::size_t kStillBytesPerPixel = 4 + 4;
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

}  // namespace

Picture decodeWebp(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) failDamaged(name);
    checkSize(features.width, features.height, name);
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
