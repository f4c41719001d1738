#pragma once
// A GIF frame moved into an animation in its compressed form: its LZW data
// is copied block by block, never decoded and encoded again.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gif_lib.h>

#include "GifEncoder.h"

namespace pivra::imagelib {

struct CompressedGifFrame {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<GifColorType> colors;  // the frame's colour table, a power of two long
    int transparentIndex = -1;
    int codeSize = 0;                  // LZW minimum code size
    std::vector<std::uint8_t> blocks;  // the data sub-blocks, each with its length byte
};

// The frame of a single-image GIF whose one image covers the whole screen
// from the top-left corner, with the code size giflib writes for its table.
// nullopt for anything else, damaged data included: such a file is decoded
// instead, which reports what is wrong with it.
std::optional<CompressedGifFrame> readCompressedGifFrame(const std::vector<std::uint8_t>& bytes);

// Writes the frame at the top-left corner with a control block of its own:
// delay and disposal from the settings, transparency from the frame.
void putCompressedFrame(GifFileType* gif, const CompressedGifFrame& frame, const AnimationSettings& settings,
                        bool animated);

}  // namespace pivra::imagelib
