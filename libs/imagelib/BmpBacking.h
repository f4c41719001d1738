#pragma once
// An uncompressed BMP is exactly as long as its rows: a file shorter than
// its header's claim is refused before ImageMagick allocates the picture.
#include <cstdint>
#include <string>
#include <vector>

namespace pivra::imagelib {

// CommandError ("the picture's data ends early") for an uncompressed BMP
// whose pixel rows do not fit in the file; nothing for anything else.
void checkBmpBacking(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace pivra::imagelib
