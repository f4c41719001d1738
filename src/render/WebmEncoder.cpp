#include <vpx/vp8cx.h>
#include <vpx/vpx_encoder.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "render/AnimationEncoders.h"
#include "platform/WorkerPool.h"
#include "render/WebmWriter.h"
#include "render/Yuv420.h"

namespace pivra {

namespace {

struct ImageDeleter {
    void operator()(vpx_image_t* image) const { vpx_img_free(image); }
};
using Image = std::unique_ptr<vpx_image_t, ImageDeleter>;

// One VP9 encoder: the colour stream, or the alpha stream as the brightness
// of a grey picture.
class Vp9Encoder {
public:
    Vp9Encoder() = default;
    ~Vp9Encoder() {
        if (open_) vpx_codec_destroy(&codec_);
    }
    Vp9Encoder(const Vp9Encoder&) = delete;
    Vp9Encoder& operator=(const Vp9Encoder&) = delete;

    bool start(int width, int height, int cqLevel, int speed, std::string& why) {
        vpx_codec_enc_cfg_t cfg;
        if (vpx_codec_enc_config_default(vpx_codec_vp9_cx(), &cfg, 0) != VPX_CODEC_OK) return fail("its settings", why);
        cfg.g_w = static_cast<unsigned>(width);
        cfg.g_h = static_cast<unsigned>(height);
        cfg.g_timebase = {1, 1000};  // milliseconds, as the file counts them
        // One thread each: the two streams are encoded side by side instead,
        // and the bytes do not depend on how many cores there are.
        cfg.g_threads = 1;
        cfg.g_pass = VPX_RC_ONE_PASS;
        cfg.rc_end_usage = VPX_Q;
        cfg.rc_min_quantizer = 0;
        cfg.rc_max_quantizer = 63;
        // Key frames only where asked for, so both streams have them together.
        cfg.kf_mode = VPX_KF_DISABLED;
        if (vpx_codec_enc_init(&codec_, vpx_codec_vp9_cx(), &cfg, 0) != VPX_CODEC_OK) return fail("the start", why);
        open_ = true;
        if (vpx_codec_control(&codec_, VP8E_SET_CQ_LEVEL, cqLevel) != VPX_CODEC_OK ||
            vpx_codec_control(&codec_, VP8E_SET_CPUUSED, speed) != VPX_CODEC_OK ||
            vpx_codec_control(&codec_, VP9E_SET_ROW_MT, 1) != VPX_CODEC_OK ||
            vpx_codec_control(&codec_, VP9E_SET_COLOR_SPACE, VPX_CS_BT_601) != VPX_CODEC_OK ||
            vpx_codec_control(&codec_, VP9E_SET_COLOR_RANGE, VPX_CR_STUDIO_RANGE) != VPX_CODEC_OK)
            return fail("its settings", why);
        return true;
    }

    // Frames come out in order, some only after later ones went in.
    bool add(const vpx_image_t& image, int k, int frameMs, bool key, std::vector<std::vector<std::uint8_t>>& out,
             std::string& why) {
        const vpx_enc_frame_flags_t flags = key ? VPX_EFLAG_FORCE_KF : 0;
        if (vpx_codec_encode(&codec_, &image, static_cast<vpx_codec_pts_t>(k) * frameMs,
                             static_cast<unsigned long>(frameMs), flags, VPX_DL_GOOD_QUALITY) != VPX_CODEC_OK)
            return fail("a frame", why);
        take(out);
        return true;
    }

    // What the encoder still holds, until it has nothing more to give.
    bool finish(std::vector<std::vector<std::uint8_t>>& out, std::string& why) {
        for (;;) {
            if (vpx_codec_encode(&codec_, nullptr, 0, 0, 0, VPX_DL_GOOD_QUALITY) != VPX_CODEC_OK) return fail("the end", why);
            if (take(out) == 0) return true;
        }
    }

private:
    size_t take(std::vector<std::vector<std::uint8_t>>& out) {
        size_t taken = 0;
        vpx_codec_iter_t iter = nullptr;
        while (const vpx_codec_cx_pkt_t* packet = vpx_codec_get_cx_data(&codec_, &iter)) {
            if (packet->kind != VPX_CODEC_CX_FRAME_PKT) continue;
            const auto* data = static_cast<const std::uint8_t*>(packet->data.frame.buf);
            out.emplace_back(data, data + packet->data.frame.sz);
            ++taken;
        }
        return taken;
    }

    bool fail(const char* step, std::string& why) {
        const char* detail = open_ ? vpx_codec_error_detail(&codec_) : nullptr;
        why = std::string("the VP9 encoder failed at ") + step +
              (open_ ? std::string(": ") + vpx_codec_error(&codec_) : "") + (detail ? std::string(" (") + detail + ")" : "");
        return false;
    }

    vpx_codec_ctx_t codec_{};
    bool open_ = false;
};

// A frame as the two encoders take it: its colour, and its alpha as a grey picture.
struct YuvFrame {
    Image colour, alpha;
    bool allocate(int w, int h) {
        colour.reset(vpx_img_alloc(nullptr, VPX_IMG_FMT_I420, static_cast<unsigned>(w), static_cast<unsigned>(h), 16));
        alpha.reset(vpx_img_alloc(nullptr, VPX_IMG_FMT_I420, static_cast<unsigned>(w), static_cast<unsigned>(h), 16));
        if (!colour || !alpha) return false;
        for (int cy = 0; cy < (h + 1) / 2; ++cy)
            for (int plane : {VPX_PLANE_U, VPX_PLANE_V})
                std::fill_n(alpha->planes[plane] + cy * alpha->stride[plane], (w + 1) / 2, std::uint8_t{128});
        return true;
    }
    void set(const imagelib::Picture& frame, ChromaFit fit) {
        RgbaToYuv420(frame,
                     {colour->planes[VPX_PLANE_Y], colour->stride[VPX_PLANE_Y], colour->planes[VPX_PLANE_U],
                      colour->planes[VPX_PLANE_V], colour->stride[VPX_PLANE_U], alpha->planes[VPX_PLANE_Y],
                      alpha->stride[VPX_PLANE_Y]},
                     fit);
    }
};

int CqLevel(int quality) { return std::clamp((100 - quality) * 63 / 100, 0, 63); }

using Packets = std::vector<std::vector<std::uint8_t>>;

}  // namespace

struct WebmShared::State {
    std::mutex yuvMutex, alphaMutex;
    int count = 0;
    ChromaFit chroma{};
    std::vector<YuvFrame> yuv;
    // Alpha packets by quality, speed and frame time.
    std::map<std::tuple<int, int, int>, Packets> alpha;
};

WebmShared::WebmShared() : state_(std::make_unique<State>()) {}
WebmShared::~WebmShared() = default;

namespace {

// One stream over frames already in YUV.
bool EncodeStream(const std::vector<YuvFrame>& yuv, bool alpha, int w, int h, int quality, int speed, int delayMs,
                  Packets& out, std::string& why) {
    Vp9Encoder encoder;
    if (!encoder.start(w, h, CqLevel(quality), speed, why)) return false;
    for (size_t k = 0; k < yuv.size(); ++k)
        if (!encoder.add(alpha ? *yuv[k].alpha : *yuv[k].colour, static_cast<int>(k), delayMs, k == 0, out, why)) return false;
    return encoder.finish(out, why);
}

bool Assemble(int w, int h, int count, int delayMs, Packets& colour, const Packets& alpha, std::vector<std::uint8_t>& bytes,
              std::string& why) {
    if (colour.size() != static_cast<size_t>(count) || alpha.size() != static_cast<size_t>(count)) {
        why = "the VP9 encoder gave " + std::to_string(colour.size()) + " frames for " + std::to_string(count);
        return false;
    }
    WebmVideo video{w, h, delayMs, {}};
    for (int k = 0; k < count; ++k)
        video.frames.push_back({std::move(colour[static_cast<size_t>(k)]), alpha[static_cast<size_t>(k)], k == 0});
    bytes = WriteWebm(video);
    return true;
}

// The trials' way: every frame in YUV once, the colour stream, then the
// alpha stream from those already made when it can be.
bool EncodeWebmShared(const FrameSource& frames, int count, int delayMs, const WebmSettings& settings,
                      std::vector<std::uint8_t>& bytes, std::string& why, WebmShared::State& shared) {
    {
        const std::lock_guard<std::mutex> lock(shared.yuvMutex);
        if (shared.yuv.empty()) {
            const imagelib::Picture first = frames(0);
            shared.yuv.resize(static_cast<size_t>(count));
            for (YuvFrame& frame : shared.yuv)
                if (!frame.allocate(first.width, first.height)) {
                    shared.yuv.clear();
                    why = "the VP9 encoder ran out of memory";
                    return false;
                }
            shared.count = count;
            shared.chroma = settings.chroma;
            ParallelFor(count, [&](int k) { shared.yuv[static_cast<size_t>(k)].set(k == 0 ? first : frames(k), settings.chroma); });
        }
        if (shared.count != count || shared.chroma != settings.chroma) {
            why = "the VP9 encoder's shared frames are of another turn";
            return false;
        }
    }
    const int w = static_cast<int>(shared.yuv[0].colour->d_w), h = static_cast<int>(shared.yuv[0].colour->d_h);
    Packets colour;
    if (!EncodeStream(shared.yuv, false, w, h, settings.quality, settings.speed, delayMs, colour, why)) return false;
    const std::lock_guard<std::mutex> lock(shared.alphaMutex);
    const std::tuple<int, int, int> key{settings.alphaQuality, settings.speed, delayMs};
    auto kept = shared.alpha.find(key);
    if (kept == shared.alpha.end()) {
        Packets alpha;
        if (!EncodeStream(shared.yuv, true, w, h, settings.alphaQuality, settings.speed, delayMs, alpha, why)) return false;
        kept = shared.alpha.emplace(key, std::move(alpha)).first;
    }
    return Assemble(w, h, count, delayMs, colour, kept->second, bytes, why);
}

}  // namespace

bool EncodeWebm(const FrameSource& frames, int count, int delayMs, const WebmSettings& settings,
                std::vector<std::uint8_t>& bytes, std::string& why, WebmShared* shared) {
    if (count <= 0) {
        why = "the VP9 encoder was given no frames";
        return false;
    }
    if (shared) return EncodeWebmShared(frames, count, delayMs, settings, bytes, why, shared->state());
    const imagelib::Picture first = frames(0);
    const int w = first.width, h = first.height;
    // Frames are drawn and turned to YUV a batch at a time on every core, then encoded in order.
    const int batch = 2 * ThreadBudget();
    std::vector<YuvFrame> drawn(static_cast<size_t>(batch));
    for (YuvFrame& frame : drawn)
        if (!frame.allocate(w, h)) {
            why = "the VP9 encoder ran out of memory";
            return false;
        }
    Vp9Encoder colourEncoder, alphaEncoder;
    if (!colourEncoder.start(w, h, CqLevel(settings.quality), settings.speed, why) ||
        !alphaEncoder.start(w, h, CqLevel(settings.alphaQuality), settings.speed, why))
        return false;
    std::vector<std::vector<std::uint8_t>> colourFrames, alphaFrames;
    // Both streams at once, each on a core of its own; they share nothing.
    const auto both = [&](const auto& step) {
        bool ok[2] = {false, false};
        std::string whys[2];
        ParallelFor(2, [&](int s) { ok[s] = step(s == 0 ? colourEncoder : alphaEncoder, s == 0 ? colourFrames : alphaFrames, whys[s]); });
        why = !ok[0] ? whys[0] : whys[1];
        return ok[0] && ok[1];
    };
    for (int start = 0; start < count; start += batch) {
        const int n = std::min(batch, count - start);
        ParallelFor(n, [&](int i) { drawn[static_cast<size_t>(i)].set(start + i == 0 ? first : frames(start + i), settings.chroma); });
        for (int i = 0; i < n; ++i) {
            const int k = start + i;
            const YuvFrame& frame = drawn[static_cast<size_t>(i)];
            // One key frame, where the loop starts again.
            const bool added = both([&](Vp9Encoder& encoder, auto& out, std::string& reason) {
                return encoder.add(&encoder == &colourEncoder ? *frame.colour : *frame.alpha, k, delayMs, k == 0, out, reason);
            });
            if (!added) return false;
        }
    }
    if (!both([](Vp9Encoder& encoder, auto& out, std::string& reason) { return encoder.finish(out, reason); }))
        return false;
    return Assemble(w, h, count, delayMs, colourFrames, alphaFrames, bytes, why);
}

}  // namespace pivra
