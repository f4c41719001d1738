#pragma once
// Pictures too large to decode whole (a 24-megapixel camera export, a scan),
// read while they shrink toward the size the next resize makes: PNG row by
// row through libpng, TIFF strip by strip or tile by tile through libtiff.
// Pictures small enough to decode whole are left to the whole decode, so
// what they give stays as it was.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ImageFormat.h"
#include "OptionValues.h"
#include "Picture.h"

namespace pivra::imagelib {

// True for a PNG, TIFF, GIF or still WebP whose whole decode would pass
// kMaxDecodeBytes. Throws CommandError for a claim beyond the limits (sides, pixels).
bool tooLargeToDecodeWhole(const std::vector<std::uint8_t>& bytes, ImageFormat format, const std::string& name);

// The sides a TIFF's first directory claims; CommandError when it cannot be opened.
void tiffClaimedSize(const std::vector<std::uint8_t>& bytes, const std::string& name, long long& width, long long& height);

// The picture as stored (not yet turned upright: `orientation` gets its
// TIFF tag), shrunk by the factor that leaves at least twice the resize's
// target each way. CommandError when it cannot be read.
Picture decodePngShrinking(const std::vector<std::uint8_t>& bytes, const std::string& name,
                           const ResizeGeometry& resize, bool sidesSwapped);
Picture decodeTiffShrinking(const std::vector<std::uint8_t>& bytes, const std::string& name,
                            const ResizeGeometry& resize, int& orientation);

}  // namespace pivra::imagelib
