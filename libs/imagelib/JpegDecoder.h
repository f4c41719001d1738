#pragma once
// JPEG through libjpeg-turbo, strictly: data that ends early or is damaged
// is refused instead of coming back with a grey remainder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "JpegScale.h"
#include "Picture.h"

namespace pivra::imagelib {

// The picture at full size. CommandError for damaged or short data and for
// sizes beyond the limits or beyond what the file's bytes can hold.
// `nextResize`, the resize that follows, lets a large picture come back at
// 1/2, 1/4 or 1/8 scale, the smallest leaving twice its target (see
// JpegScale.h); `sidesSwapped` when the picture is turned on its side
// before that resize. The pixels come back as stored.
Picture decodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize = std::nullopt, bool sidesSwapped = false);

}  // namespace pivra::imagelib
