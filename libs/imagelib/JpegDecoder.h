#pragma once
// JPEG through libjpeg-turbo, strictly: data that ends early or is damaged
// is refused instead of coming back with a grey remainder.
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

// The picture at full size. CommandError for damaged or short data and for
// sizes beyond the limits or beyond what the file's bytes can hold.
Picture decodeJpeg(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace pivra::imagelib
