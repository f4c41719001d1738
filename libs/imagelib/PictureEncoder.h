#pragma once
// A Picture to the bytes of a JPEG, PNG, BMP, MIFF or (single-frame) GIF file.
#include <cstdint>
#include <vector>

#include "ImageFormat.h"
#include "Picture.h"

namespace pivra::imagelib {

std::vector<std::uint8_t> encodePicture(const Picture& picture, ImageFormat format);

}  // namespace pivra::imagelib
