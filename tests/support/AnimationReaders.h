#pragma once
// Reads animated WebP and APNG back with readers that are not ours:
// libwebp's demuxing decoder for WebP; for APNG, libpng for the still
// picture and a walk of the animation chunks, each frame's image data
// decoded by libpng as a PNG of its own. Frames come as straight RGBA.
#include <cstdint>
#include <string>
#include <vector>

namespace pivra::test {

struct RgbaFrame {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

struct WebpAnimation {
    bool ok = false;
    int width = 0, height = 0, loopCount = -1;
    std::vector<RgbaFrame> frames;  // the whole canvas as shown
    std::vector<int> endsMs;        // when each frame gives way to the next
};

WebpAnimation ReadWebpAnimation(const std::string& path);

struct ApngFrameControl {
    std::uint32_t sequence = 0;
    int width = 0, height = 0, x = 0, y = 0, delayNum = 0, delayDen = 0, blend = -1, dispose = -1;
};

struct ApngAnimation {
    bool ok = false;
    RgbaFrame still;                        // libpng's reading of the file as a plain PNG
    int frameCount = -1, plays = -1;        // acTL
    std::vector<ApngFrameControl> controls;  // fcTL, in file order
    std::vector<RgbaFrame> frames;          // each frame's own image data
    std::vector<RgbaFrame> canvases;        // the canvas as shown, frame by frame (offsets, blend, dispose)
    int bitDepth = 0, colourType = -1;      // IHDR
    int paletteEntries = 0, alphaEntries = 0;  // PLTE's and tRNS's
    std::vector<std::uint32_t> dataSequence; // fdAT sequence numbers
    bool stillIsFirstFrame = false;         // fcTL came before IDAT
};

ApngAnimation ReadApng(const std::string& path);

}  // namespace pivra::test
