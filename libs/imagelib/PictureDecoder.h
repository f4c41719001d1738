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
// `resizeTarget`, the exact size the picture is resized to next, lets a
// large JPEG be decoded at a reduced scale (see JpegScale.h).
Picture decodeFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                         std::optional<PixelSize> resizeTarget = std::nullopt);

}  // namespace pivra::imagelib
