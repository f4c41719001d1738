#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/WorkerPool.h"
#include "render/AnimationEncoders.h"

namespace pivra {

namespace {

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

bool Refused(const char* step, std::string& why, const std::string& detail = {}) {
    why = std::string("the WebP encoder failed at ") + step + (detail.empty() ? "" : ": " + detail);
    return false;
}

struct MuxDeleter {
    void operator()(WebPMux* m) const { WebPMuxDelete(m); }
};

// One frame as a still WebP of its own, cropped to the columns and rows
// where anything shows (the left and top edges even, as the animation's frame
// offsets must be), or one clear pixel when nothing does.
struct EncodedFrame {
    std::vector<std::uint8_t> bytes;
    int x = 0, y = 0, width = 0, height = 0;
    bool blank = false;
    std::string why;

    bool sameAs(const EncodedFrame& o) const { return bytes == o.bytes && x == o.x && y == o.y; }
    bool within(const EncodedFrame& o) const {
        return x >= o.x && y >= o.y && x + width <= o.x + o.width && y + height <= o.y + o.height;
    }
};

void VisibleBox(const imagelib::Picture& frame, int& left, int& top, int& right, int& bottom) {
    left = frame.width, top = frame.height, right = 0, bottom = 0;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* p = frame.pixel(0, y);
        for (int x = 0; x < frame.width; ++x, p += 4) {
            if (p[3] == 0) continue;
            left = std::min(left, x), right = std::max(right, x + 1);
            top = std::min(top, y), bottom = std::max(bottom, y + 1);
        }
    }
}

void EncodeFrame(const imagelib::Picture& frame, const WebPConfig& config, EncodedFrame& out) {
    int left, top, right, bottom;
    VisibleBox(frame, left, top, right, bottom);
    out.blank = right <= left;
    if (out.blank) left = top = 0, right = bottom = 1;
    left &= ~1, top &= ~1;
    PictureGuard whole, view;
    whole.picture.use_argb = 1;
    whole.picture.width = frame.width;
    whole.picture.height = frame.height;
    if (!WebPPictureImportRGBA(&whole.picture, frame.rgba.data(), frame.width * 4)) {
        out.why = "a frame: out of memory";
        return;
    }
    if (out.blank) std::memset(whole.picture.argb, 0, sizeof(uint32_t));
    if (!WebPPictureView(&whole.picture, left, top, right - left, bottom - top, &view.picture)) {
        out.why = "a frame: its place";
        return;
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    view.picture.writer = WebPMemoryWrite;
    view.picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &view.picture)) {
        out.why = "a frame: error " + std::to_string(view.picture.error_code);
        WebPMemoryWriterClear(&writer);
        return;
    }
    out.bytes.assign(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    out.x = left, out.y = top, out.width = right - left, out.height = bottom - top;
}

}  // namespace

bool EncodeAnimatedWebp(const FrameSource& frames, int count, int delayMs, const WebpSettings& settings,
                        std::vector<std::uint8_t>& bytes, std::string& why) {
    if (count <= 0) return Refused("the start", why, "no frames");
    WebPConfig config;
    if (!WebPConfigInit(&config)) return Refused("the start", why);
    config.lossless = settings.lossless ? 1 : 0;
    config.quality = static_cast<float>(settings.quality);
    // Sixteen levels of alpha on the lossy coin's rim: steps too small to
    // see, and a fifth off the file for flat faces, whose rim is most of it.
    if (!settings.lossless) config.alpha_quality = 70;
    if (!WebPValidateConfig(&config)) return Refused("its settings", why);

    // Each frame replaces what the one before showed (cleared after it
    // showed, unless the next covers it anyway), so the frames are encoded
    // apart, over the pool, and joined after.
    std::vector<EncodedFrame> encoded(static_cast<size_t>(count));
    int width = 0, height = 0;
    ParallelFor(count, [&](int k) {
        const imagelib::Picture frame = frames(k);
        if (k == 0) width = frame.width, height = frame.height;
        EncodeFrame(frame, config, encoded[static_cast<size_t>(k)]);
    });
    for (const EncodedFrame& e : encoded)
        if (!e.why.empty()) return Refused(e.why.c_str(), why);

    std::unique_ptr<WebPMux, MuxDeleter> mux(WebPMuxNew());
    if (!mux || WebPMuxSetCanvasSize(mux.get(), width, height) != WEBP_MUX_OK) return Refused("the start", why);
    WebPMuxAnimParams params{0, 0};  // transparent, looping for ever
    if (WebPMuxSetAnimationParams(mux.get(), &params) != WEBP_MUX_OK) return Refused("the start", why);
    for (int k = 0; k < count;) {
        const EncodedFrame& e = encoded[static_cast<size_t>(k)];
        // A frame the same as the one before shows on as one longer frame.
        int shows = 1;
        while (k + shows < count && encoded[static_cast<size_t>(k + shows)].sameAs(e)) ++shows;
        const EncodedFrame* next = k + shows < count ? &encoded[static_cast<size_t>(k + shows)] : nullptr;
        WebPMuxFrameInfo info{};
        info.bitstream = {e.bytes.data(), e.bytes.size()};
        info.x_offset = e.x;
        info.y_offset = e.y;
        info.duration = shows * delayMs;
        info.id = WEBP_CHUNK_ANMF;
        // A clear frame is laid over what was there and changes nothing.
        info.dispose_method = e.blank || !next || e.within(*next) ? WEBP_MUX_DISPOSE_NONE : WEBP_MUX_DISPOSE_BACKGROUND;
        info.blend_method = e.blank ? WEBP_MUX_BLEND : WEBP_MUX_NO_BLEND;
        if (WebPMuxPushFrame(mux.get(), &info, 1) != WEBP_MUX_OK) return Refused("a frame", why);
        k += shows;
    }
    DataGuard data;
    if (WebPMuxAssemble(mux.get(), &data.data) != WEBP_MUX_OK) return Refused("the end", why);
    bytes.assign(data.data.bytes, data.data.bytes + data.data.size);
    return true;
}

}  // namespace pivra
