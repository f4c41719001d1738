#pragma once
// First frame of a GIF through giflib: much quicker than ImageMagick's GIF
// reader, and GIF is what most build commands read.
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

// The first frame at its own size (as convert reads it); the screen size is
// only checked against the limits. CommandError for damaged data, oversized
// claims, or a frame larger than the file's bytes can encode.
Picture decodeGifFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace pivra::imagelib
