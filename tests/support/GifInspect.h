#pragma once
// Reads an animated GIF back with two decoders of its own: giflib for the
// stored structure (delays, disposal, loop block) and the frames it composes,
// and Qt for the frames as a viewer shows them.
#include <QImage>

#include <string>
#include <vector>

#include "support/AnimationReaders.h"

namespace pivra::test {

struct GifFrameInfo {
    int delayCs = -1;        // hundredths of a second
    int disposal = -1;       // 2: restore to background
    int transparentIndex = -1;
    int left = 0, top = 0, width = 0, height = 0;
};

struct GifInfo {
    bool ok = false;
    int screenWidth = 0, screenHeight = 0;
    int loopCount = -1;      // from the NETSCAPE2.0 block; -1 when there is none
    std::vector<GifFrameInfo> frames;
};

GifInfo ReadGifStructure(const std::string& path);

// Every frame as giflib reads it, laid on the canvas left by the frames
// before and their disposal (the clear background as transparent).
std::vector<RgbaFrame> ReadGifCanvases(const std::string& path);

// Every frame as Qt composes it, in ARGB32.
std::vector<QImage> ReadGifFrames(const std::string& path);

}  // namespace pivra::test
