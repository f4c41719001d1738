#include "AnimationAssembler.h"

#include <algorithm>

#include "CommandError.h"
#include "FileBytes.h"
#include "GifFrameCopy.h"
#include "GifWriting.h"
#include "DecodeLimits.h"
#include "PictureDecoder.h"

namespace pivra::imagelib {

namespace {

// The logical screen's size sits at bytes 6 to 9, little-endian.
void patchScreenSize(std::vector<std::uint8_t>& bytes, int width, int height) {
    if (bytes.size() < 10) throw CommandError("GIF encoder wrote no screen");
    bytes[6] = static_cast<std::uint8_t>(width & 0xFF);
    bytes[7] = static_cast<std::uint8_t>(width >> 8);
    bytes[8] = static_cast<std::uint8_t>(height & 0xFF);
    bytes[9] = static_cast<std::uint8_t>(height >> 8);
}

}  // namespace

std::vector<std::uint8_t> assembleAnimation(const std::vector<std::string>& paths,
                                            const AnimationSettings& settings) {
    if (paths.empty()) throw CommandError("no frames to write");
    const bool animated = paths.size() > 1;
    MemorySink sink;
    GifSinkState state{&sink};
    // The screen is known only after the last frame; it is written last.
    GifWriterPtr gif = openGifWriter(state, 0, 0, animated, settings);
    int screenWidth = 0, screenHeight = 0;
    long long totalPixels = 0;
    for (const std::string& path : paths) {
        const std::vector<std::uint8_t> file = readInputFile(path);
        int width = 0, height = 0;
        if (const std::optional<CompressedGifFrame> frame = readCompressedGifFrame(file)) {
            width = frame->width;
            height = frame->height;
            putCompressedFrame(gif.get(), *frame, settings, animated);
        } else {
            const Picture picture = decodeFirstFrame(file, path);
            width = picture.width;
            height = picture.height;
            putQuantizedFrame(gif.get(), picture, settings, animated);
        }
        totalPixels += static_cast<long long>(width) * height;
        if (totalPixels > kMaxAnimationPixels) throw CommandError("the frames are too large together");
        screenWidth = std::max(screenWidth, width);
        screenHeight = std::max(screenHeight, height);
    }
    if (screenWidth > 65535 || screenHeight > 65535) throw CommandError("picture too large for GIF");
    closeGifWriter(std::move(gif), state);
    patchScreenSize(sink.bytes, screenWidth, screenHeight);
    return std::move(sink.bytes);
}

}  // namespace pivra::imagelib
