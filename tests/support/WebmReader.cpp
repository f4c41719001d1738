#include "WebmReader.h"

#include <vpx/vp8dx.h>
#include <vpx/vpx_decoder.h>
#include <webm/buffer_reader.h>
#include <webm/callback.h>
#include <webm/webm_parser.h>

#include <algorithm>
#include <cmath>

#include "support/FileContents.h"

namespace pivra::test {

namespace {

struct Block {
    std::int64_t timeMs = 0;
    bool key = true;
    std::vector<std::uint8_t> colour, alpha;
    bool withAlpha = false;
};

class Collector : public webm::Callback {
public:
    explicit Collector(WebmAnimation& out) : out_(out) {}
    std::vector<Block> blocks;

    webm::Status OnElementBegin(const webm::ElementMetadata& m, webm::Action* action) override {
        if (m.id == webm::Id::kSegment) segmentData_ = m.position + m.header_size;
        for (webm::Id top : {webm::Id::kSeekHead, webm::Id::kInfo, webm::Id::kTracks, webm::Id::kCluster, webm::Id::kCues})
            if (m.id == top) out_.elementsAt[static_cast<std::uint32_t>(m.id)].push_back(m.position - segmentData_);
        *action = webm::Action::kRead;
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnSeek(const webm::ElementMetadata&, const webm::Seek& seek) override {
        out_.seekEntries[static_cast<std::uint32_t>(seek.id.value())] = seek.position.value();
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnInfo(const webm::ElementMetadata&, const webm::Info& info) override {
        out_.timecodeScale = info.timecode_scale.value();
        if (info.duration.is_present()) out_.durationMs = info.duration.value();
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnTrackEntry(const webm::ElementMetadata&, const webm::TrackEntry& t) override {
        ++out_.trackCount;
        out_.codec = t.codec_id.value();
        out_.trackType = static_cast<std::uint64_t>(t.track_type.value());
        out_.defaultDurationNs = t.default_duration.value();
        out_.width = static_cast<int>(t.video.value().pixel_width.value());
        out_.height = static_cast<int>(t.video.value().pixel_height.value());
        out_.alphaMode = t.video.value().alpha_mode.value();
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnClusterBegin(const webm::ElementMetadata&, const webm::Cluster& cluster, webm::Action* action) override {
        clusterMs_ = static_cast<std::int64_t>(cluster.timecode.value());
        *action = webm::Action::kRead;
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnSimpleBlockBegin(const webm::ElementMetadata&, const webm::SimpleBlock&, webm::Action*) override {
        return webm::Status(webm::Status::kInvalidElementValue);  // ours are all in block groups
    }
    webm::Status OnBlockBegin(const webm::ElementMetadata&, const webm::Block& block, webm::Action* action) override {
        blocks.emplace_back();
        blocks.back().timeMs = clusterMs_ + block.timecode;
        *action = webm::Action::kRead;
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnFrame(const webm::FrameMetadata&, webm::Reader* reader, std::uint64_t* remaining) override {
        std::vector<std::uint8_t>& data = blocks.back().colour;
        while (*remaining > 0) {
            const size_t at = data.size();
            data.resize(at + *remaining);
            std::uint64_t got = 0;
            const webm::Status s = reader->Read(static_cast<size_t>(*remaining), data.data() + at, &got);
            data.resize(at + got);
            *remaining -= got;
            if (!s.completed_ok() && s.code != webm::Status::kOkPartial) return s;
        }
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnBlockGroupEnd(const webm::ElementMetadata&, const webm::BlockGroup& group) override {
        Block& b = blocks.back();
        b.key = group.references.empty();
        for (const auto& more : group.additions.value().block_mores)
            if (more.value().id.value() == 1) b.alpha = more.value().data.value(), b.withAlpha = true;
        return webm::Status(webm::Status::kOkCompleted);
    }
    webm::Status OnCuePoint(const webm::ElementMetadata&, const webm::CuePoint& point) override {
        for (const auto& p : point.cue_track_positions)
            out_.cues.emplace_back(point.time.value(), p.value().cluster_position.value());
        return webm::Status(webm::Status::kOkCompleted);
    }

private:
    WebmAnimation& out_;
    std::uint64_t segmentData_ = 0;
    std::int64_t clusterMs_ = 0;
};

class Vp9Decoder {
public:
    Vp9Decoder() { ok_ = vpx_codec_dec_init(&codec_, vpx_codec_vp9_dx(), nullptr, 0) == VPX_CODEC_OK; }
    ~Vp9Decoder() {
        if (ok_) vpx_codec_destroy(&codec_);
    }
    Vp9Decoder(const Vp9Decoder&) = delete;
    Vp9Decoder& operator=(const Vp9Decoder&) = delete;
    // The frame shown after this packet, or null.
    const vpx_image_t* decode(const std::vector<std::uint8_t>& packet) {
        if (!ok_ || vpx_codec_decode(&codec_, packet.data(), static_cast<unsigned>(packet.size()), nullptr, 0) != VPX_CODEC_OK)
            return nullptr;
        vpx_codec_iter_t iter = nullptr;
        return vpx_codec_get_frame(&codec_, &iter);
    }

private:
    vpx_codec_ctx_t codec_{};
    bool ok_ = false;
};

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Chroma at (x, y) of a plane half as wide and high: the sample's own, or
// between the four nearest, each sample at the centre of its 2 x 2 pixels.
double ChromaAt(const std::uint8_t* plane, int stride, int width, int height, int x, int y, ChromaUpsampling way) {
    if (way == ChromaUpsampling::Nearest) return plane[(y / 2) * stride + x / 2];
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    const double fx = std::clamp((x - 0.5) / 2, 0.0, cw - 1.0), fy = std::clamp((y - 0.5) / 2, 0.0, ch - 1.0);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, cw - 1), y1 = std::min(y0 + 1, ch - 1);
    const double ax = fx - x0, ay = fy - y0;
    const auto at = [&](int cx, int cy) { return double(plane[cy * stride + cx]); };
    return (1 - ay) * ((1 - ax) * at(x0, y0) + ax * at(x1, y0)) + ay * ((1 - ax) * at(x0, y1) + ax * at(x1, y1));
}

}  // namespace

RgbaFrame FromYuv420(const Yuv420View& in, ChromaUpsampling way) {
    RgbaFrame f{in.width, in.height, {}};
    f.rgba.resize(static_cast<size_t>(f.width) * f.height * 4);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const double luma = 1.164 * (in.y[y * in.yStride + x] - 16);
            const double cb = ChromaAt(in.u, in.uvStride, in.width, in.height, x, y, way) - 128.0;
            const double cr = ChromaAt(in.v, in.uvStride, in.width, in.height, x, y, way) - 128.0;
            std::uint8_t* p = &f.rgba[(static_cast<size_t>(y) * f.width + x) * 4];
            p[0] = Clamp(luma + 1.596 * cr);
            p[1] = Clamp(luma - 0.392 * cb - 0.813 * cr);
            p[2] = Clamp(luma + 2.017 * cb);
            p[3] = in.alpha[y * in.alphaStride + x];
        }
    return f;
}

WebmAnimation ReadWebm(const std::string& path, ChromaUpsampling way) {
    WebmAnimation anim;
    const std::string text = FileContents(path);
    webm::BufferReader reader(std::vector<std::uint8_t>(text.begin(), text.end()));
    Collector collector(anim);
    webm::WebmParser parser;
    const webm::Status status = parser.Feed(&collector, &reader);
    if (!status.completed_ok()) {
        anim.error = "libwebm's parser stopped with status " + std::to_string(status.code);
        return anim;
    }
    Vp9Decoder colourDecoder, alphaDecoder;
    for (const Block& b : collector.blocks) {
        anim.timesMs.push_back(b.timeMs);
        anim.keyFrames.push_back(b.key);
        anim.withAlpha.push_back(b.withAlpha);
        const vpx_image_t* colour = colourDecoder.decode(b.colour);
        if (!colour) {
            anim.error = "libvpx could not decode the colour of frame " + std::to_string(anim.frames.size());
            return anim;
        }
        // The colour decoder keeps its picture until its next packet.
        const vpx_image_t* alpha = alphaDecoder.decode(b.alpha);
        if (!alpha || alpha->d_w != colour->d_w || alpha->d_h != colour->d_h) {
            anim.error = "libvpx could not decode the alpha of frame " + std::to_string(anim.frames.size());
            return anim;
        }
        anim.frames.push_back(FromYuv420({static_cast<int>(colour->d_w), static_cast<int>(colour->d_h), colour->planes[0],
                                          colour->stride[0], colour->planes[1], colour->planes[2], colour->stride[1],
                                          alpha->planes[0], alpha->stride[0]},
                                         way));
    }
    anim.ok = true;
    return anim;
}

}  // namespace pivra::test
