#pragma once
// First frame of a GIF through giflib: much quicker than ImageMagick's GIF
// reader, and GIF is what most build commands read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "OptionValues.h"
#include "Picture.h"

namespace pivra::imagelib {

// The first frame at its own size (as convert reads it); the screen size is
// only checked against the limits. CommandError for damaged data, oversized
// claims, or a frame larger than the file's bytes can encode. A frame too
// large to decode whole shrinks for the resize that follows while its rows
// are read, by the whole factor that leaves twice the resize's target.
Picture decodeGifFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                            const std::optional<ResizeGeometry>& nextResize = std::nullopt);

}  // namespace pivra::imagelib
