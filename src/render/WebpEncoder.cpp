#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

#include "render/AnimationEncoders.h"

namespace pivra {

namespace {

struct AnimEncoderDeleter {
    void operator()(WebPAnimEncoder* e) const { WebPAnimEncoderDelete(e); }
};

struct PictureGuard {
    WebPPicture picture;
    PictureGuard() { WebPPictureInit(&picture); }
    ~PictureGuard() { WebPPictureFree(&picture); }
    PictureGuard(const PictureGuard&) = delete;
    PictureGuard& operator=(const PictureGuard&) = delete;
};

struct DataGuard {
    WebPData data;
    DataGuard() { WebPDataInit(&data); }
    ~DataGuard() { WebPDataClear(&data); }
    DataGuard(const DataGuard&) = delete;
    DataGuard& operator=(const DataGuard&) = delete;
};

bool Refused(WebPAnimEncoder* encoder, const char* step, std::string& why) {
    const char* error = encoder ? WebPAnimEncoderGetError(encoder) : nullptr;
    why = std::string("the WebP encoder failed at ") + step + (error && *error ? std::string(": ") + error : "");
    return false;
}

}  // namespace

bool EncodeAnimatedWebp(const FrameSource& frames, int count, int delayMs, const WebpSettings& settings,
                        std::vector<std::uint8_t>& bytes, std::string& why) {
    if (count <= 0) return Refused(nullptr, "the start: no frames", why);
    const imagelib::Picture first = frames(0);
    WebPAnimEncoderOptions options;
    WebPConfig config;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config)) return Refused(nullptr, "the start", why);
    options.anim_params.loop_count = 0;  // for ever
    options.anim_params.bgcolor = 0;     // transparent
    config.lossless = settings.lossless ? 1 : 0;
    config.quality = static_cast<float>(settings.quality);
    // Sixteen levels of alpha on the lossy coin's rim: steps too small to
    // see, and a fifth off the file for flat faces, whose rim is most of it.
    if (!settings.lossless) config.alpha_quality = 70;
    if (!WebPValidateConfig(&config)) return Refused(nullptr, "its settings", why);
    std::unique_ptr<WebPAnimEncoder, AnimEncoderDeleter> encoder(WebPAnimEncoderNew(first.width, first.height, &options));
    if (!encoder) return Refused(nullptr, "the start", why);

    for (int k = 0; k < count; ++k) {
        const imagelib::Picture frame = k == 0 ? first : frames(k);
        PictureGuard picture;
        picture.picture.use_argb = 1;
        picture.picture.width = frame.width;
        picture.picture.height = frame.height;
        if (!WebPPictureImportRGBA(&picture.picture, frame.rgba.data(), frame.width * 4))
            return Refused(nullptr, "a frame: out of memory", why);
        if (!WebPAnimEncoderAdd(encoder.get(), &picture.picture, k * delayMs, &config))
            return Refused(encoder.get(), "a frame", why);
    }
    // The last frame's time ends where the next turn begins.
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, count * delayMs, nullptr)) return Refused(encoder.get(), "the end", why);
    DataGuard data;
    if (!WebPAnimEncoderAssemble(encoder.get(), &data.data)) return Refused(encoder.get(), "the end", why);
    bytes.assign(data.data.bytes, data.data.bytes + data.data.size);
    return true;
}

}  // namespace pivra
