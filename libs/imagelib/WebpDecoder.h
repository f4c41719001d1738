#pragma once
// WebP through libwebp; of an animated one, the first frame as shown.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "OptionValues.h"
#include "Picture.h"

namespace pivra::imagelib {

// The picture as stored (its EXIF orientation not applied). CommandError
// for damaged data and for sizes beyond the limits. A still picture too
// large to decode whole is decoded scaled for the resize that follows, to
// the size a whole factor leaves at twice its target (`sidesSwapped` when
// the picture is turned on its side first).
Picture decodeWebp(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize = std::nullopt, bool sidesSwapped = false);

}  // namespace pivra::imagelib
