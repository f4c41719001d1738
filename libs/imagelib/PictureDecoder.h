#pragma once
// Bytes of a JPEG, PNG, GIF, BMP or MIFF file to a Picture (its first frame).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "JpegScale.h"
#include "Picture.h"

namespace pivra::imagelib {

// `name` only labels error messages. Throws CommandError for content that
// is not one of the five formats, is damaged, or is larger than the limits.
// `jpegAtLeast`, for a JPEG, lets the decoder scale it down to no less.
Picture decodeFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                         std::optional<PixelSize> jpegAtLeast = std::nullopt);

}  // namespace pivra::imagelib
