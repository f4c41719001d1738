#pragma once
// WebP through libwebp; of an animated one, the first frame as shown.
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

// The picture as stored (its EXIF orientation not applied). CommandError
// for damaged data and for sizes beyond the limits.
Picture decodeWebp(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace pivra::imagelib
