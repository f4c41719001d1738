#pragma once
// Reads a WebM with alpha back with readers that are not ours: libwebm's
// parser for the container (track, timing, block additions, cues, seek
// entries) and libvpx's decoder for both VP9 streams, the colour in the
// blocks and the alpha in their BlockAdditional 1. Frames come as straight
// RGBA, the colour turned back from studio-range BT.601.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/AnimationReaders.h"

namespace pivra::test {

struct WebmAnimation {
    bool ok = false;
    std::string error;
    std::uint64_t timecodeScale = 0;
    double durationMs = -1;  // Info's duration, in timecode units of 1 ms
    int trackCount = 0;
    std::string codec;
    std::uint64_t trackType = 0, alphaMode = 0, defaultDurationNs = 0;
    int width = 0, height = 0;
    std::vector<std::int64_t> timesMs;   // each block's time: its cluster's and its own
    std::vector<bool> keyFrames;         // blocks that name no reference
    std::vector<bool> withAlpha;         // blocks with a BlockAdditional of id 1
    std::vector<RgbaFrame> frames;       // both streams decoded
    // Positions from the segment's data: where the parser met each top-level
    // element, and where the seek entries and cues say they are.
    std::map<std::uint32_t, std::vector<std::uint64_t>> elementsAt;
    std::map<std::uint32_t, std::uint64_t> seekEntries;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> cues;  // time, cluster position
};

// How a player spreads the half-size chroma over the pixels: each sample
// over its 2 x 2 block (libvpx's own tools, libyuv), or bilinearly between
// samples at the centres of their blocks (browsers drawing through the GPU).
enum class ChromaUpsampling { Nearest, Bilinear };

WebmAnimation ReadWebm(const std::string& path, ChromaUpsampling way = ChromaUpsampling::Nearest);

// 4:2:0 planes and an alpha plane, turned back from studio-range BT.601.
struct Yuv420View {
    int width, height;
    const std::uint8_t* y;
    int yStride;
    const std::uint8_t *u, *v;
    int uvStride;
    const std::uint8_t* alpha;
    int alphaStride;
};
RgbaFrame FromYuv420(const Yuv420View& in, ChromaUpsampling way);

}  // namespace pivra::test
