#pragma once
// Bytes of a picture file to a Picture: its first frame or page, turned
// upright as its EXIF orientation says.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ImageFormat.h"
#include "OptionValues.h"
#include "Picture.h"

namespace pivra::imagelib {

// `name` only labels error messages. Throws CommandError for content that
// is not one of the formats (ImageFormat.h), is damaged, or is larger than
// the limits. `nextResize`, the resize that follows, lets a large JPEG, HEIF
// or AVIF be decoded at a reduced scale (see JpegScale.h).
Picture decodeFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                         const std::optional<ResizeGeometry>& nextResize = std::nullopt);

// Whether decodeFirstFrame can reduce pictures of this format.
bool decodesReduced(ImageFormat format);

}  // namespace pivra::imagelib
