#pragma once
// First frame of a GIF through giflib: much quicker than ImageMagick's GIF
// reader, and GIF is what most build commands read.
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

// The first frame on a canvas of the GIF's screen size (transparent where the
// frame does not reach). CommandError for damaged data or oversized claims.
Picture decodeGifFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace pivra::imagelib
