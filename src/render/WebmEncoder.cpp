#include <vpx/vp8cx.h>
#include <vpx/vpx_encoder.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "render/AnimationEncoders.h"
#include "platform/WorkerPool.h"
#include "render/WebmWriter.h"

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

// Studio-range BT.601, as VP9 players assume. Each chroma sample is the
// mean of its four pixels weighted by their alpha, so the colour of clear
// pixels does not bleed into the coin's rim.
void ToYuv(const imagelib::Picture& frame, vpx_image_t& colour, vpx_image_t& alpha) {
    const int w = frame.width, h = frame.height;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* luma = colour.planes[VPX_PLANE_Y] + y * colour.stride[VPX_PLANE_Y];
        std::uint8_t* cover = alpha.planes[VPX_PLANE_Y] + y * alpha.stride[VPX_PLANE_Y];
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = frame.pixel(x, y);
            luma[x] = static_cast<std::uint8_t>(std::lround(16 + (65.481 * p[0] + 128.553 * p[1] + 24.966 * p[2]) / 255));
            cover[x] = p[3];
        }
    }
    for (int cy = 0; cy < (h + 1) / 2; ++cy) {
        std::uint8_t* u = colour.planes[VPX_PLANE_U] + cy * colour.stride[VPX_PLANE_U];
        std::uint8_t* v = colour.planes[VPX_PLANE_V] + cy * colour.stride[VPX_PLANE_V];
        std::uint8_t* au = alpha.planes[VPX_PLANE_U] + cy * alpha.stride[VPX_PLANE_U];
        std::uint8_t* av = alpha.planes[VPX_PLANE_V] + cy * alpha.stride[VPX_PLANE_V];
        for (int cx = 0; cx < (w + 1) / 2; ++cx) {
            double r = 0, g = 0, b = 0, weight = 0, plainR = 0, plainG = 0, plainB = 0;
            int n = 0;
            for (int y = 2 * cy; y < std::min(2 * cy + 2, h); ++y)
                for (int x = 2 * cx; x < std::min(2 * cx + 2, w); ++x, ++n) {
                    const std::uint8_t* p = frame.pixel(x, y);
                    r += p[0] * p[3], g += p[1] * p[3], b += p[2] * p[3], weight += p[3];
                    plainR += p[0], plainG += p[1], plainB += p[2];
                }
            if (weight > 0) r /= weight, g /= weight, b /= weight;
            else r = plainR / n, g = plainG / n, b = plainB / n;
            u[cx] = static_cast<std::uint8_t>(std::lround(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255));
            v[cx] = static_cast<std::uint8_t>(std::lround(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255));
            au[cx] = av[cx] = 128;
        }
    }
}

int CqLevel(int quality) { return std::clamp((100 - quality) * 63 / 100, 0, 63); }

}  // namespace

bool EncodeWebm(const FrameSource& frames, int count, int delayMs, const WebmSettings& settings,
                std::vector<std::uint8_t>& bytes, std::string& why) {
    if (count <= 0) {
        why = "the VP9 encoder was given no frames";
        return false;
    }
    const imagelib::Picture first = frames(0);
    const int w = first.width, h = first.height;
    Image colour(vpx_img_alloc(nullptr, VPX_IMG_FMT_I420, static_cast<unsigned>(w), static_cast<unsigned>(h), 16));
    Image alpha(vpx_img_alloc(nullptr, VPX_IMG_FMT_I420, static_cast<unsigned>(w), static_cast<unsigned>(h), 16));
    if (!colour || !alpha) {
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
    // Frames are drawn a batch at a time on every core, then encoded in order.
    const int batch = 2 * ThreadBudget();
    std::vector<imagelib::Picture> drawn;
    for (int start = 0; start < count; start += batch) {
        const int n = std::min(batch, count - start);
        drawn.assign(static_cast<size_t>(n), {});
        ParallelFor(n, [&](int i) { drawn[static_cast<size_t>(i)] = start + i == 0 ? first : frames(start + i); });
        for (int i = 0; i < n; ++i) {
            const int k = start + i;
            ToYuv(drawn[static_cast<size_t>(i)], *colour, *alpha);
            // One key frame, where the loop starts again.
            const bool added = both([&](Vp9Encoder& encoder, auto& out, std::string& reason) {
                return encoder.add(&encoder == &colourEncoder ? *colour : *alpha, k, delayMs, k == 0, out, reason);
            });
            if (!added) return false;
        }
    }
    if (!both([](Vp9Encoder& encoder, auto& out, std::string& reason) { return encoder.finish(out, reason); }))
        return false;
    if (colourFrames.size() != static_cast<size_t>(count) || alphaFrames.size() != static_cast<size_t>(count)) {
        why = "the VP9 encoder gave " + std::to_string(colourFrames.size()) + " frames for " + std::to_string(count);
        return false;
    }
    WebmVideo video{w, h, delayMs, {}};
    for (int k = 0; k < count; ++k)
        video.frames.push_back({std::move(colourFrames[static_cast<size_t>(k)]),
                                std::move(alphaFrames[static_cast<size_t>(k)]), k == 0});
    bytes = WriteWebm(video);
    return true;
}

}  // namespace pivra
