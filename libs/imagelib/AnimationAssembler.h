#pragma once
// An animation written a frame at a time, so that no more than one frame is
// ever held. A frame file that is a plain single-image GIF keeps its
// compressed data; any other is decoded and encoded as a whole-picture
// conversion would.
#include <cstdint>
#include <string>
#include <vector>

#include "GifEncoder.h"

namespace pivra::imagelib {

// The GIF bytes of the frames in `paths`, in that order: the screen as large
// as the largest frame, every frame at its top-left corner. CommandError
// naming the file when a frame cannot be read or decoded.
std::vector<std::uint8_t> assembleAnimation(const std::vector<std::string>& paths,
                                            const AnimationSettings& settings);

}  // namespace pivra::imagelib
