#pragma once
// HEIF (HEIC) and AVIF through libheif, which applies the rotation, mirror
// and crop the file's boxes ask for; the primary picture only.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "OptionValues.h"
#include "Picture.h"

namespace pivra::imagelib {

// The picture as meant to be seen. CommandError for damaged data and for
// sizes beyond the limits. With `nextResize`, the resize that follows, a
// large picture comes back shrunk by whole blocks, as the JPEG decoder does
// (see JpegScale.h): it spares the full-size copy and its resize.
Picture decodeHeif(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize = std::nullopt);

}  // namespace pivra::imagelib
