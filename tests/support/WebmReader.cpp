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

RgbaFrame ToRgba(const vpx_image_t& colour, const vpx_image_t& alpha) {
    RgbaFrame f{static_cast<int>(colour.d_w), static_cast<int>(colour.d_h), {}};
    f.rgba.resize(static_cast<size_t>(f.width) * f.height * 4);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const double luma = 1.164 * (colour.planes[0][y * colour.stride[0] + x] - 16);
            const double cb = colour.planes[1][(y / 2) * colour.stride[1] + x / 2] - 128.0;
            const double cr = colour.planes[2][(y / 2) * colour.stride[2] + x / 2] - 128.0;
            std::uint8_t* p = &f.rgba[(static_cast<size_t>(y) * f.width + x) * 4];
            p[0] = Clamp(luma + 1.596 * cr);
            p[1] = Clamp(luma - 0.392 * cb - 0.813 * cr);
            p[2] = Clamp(luma + 2.017 * cb);
            p[3] = alpha.planes[0][y * alpha.stride[0] + x];
        }
    return f;
}

}  // namespace

WebmAnimation ReadWebm(const std::string& path) {
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
        anim.frames.push_back(ToRgba(*colour, *alpha));
    }
    anim.ok = true;
    return anim;
}

}  // namespace pivra::test
