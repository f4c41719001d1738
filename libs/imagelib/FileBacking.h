#pragma once
// Sizes a file claims, checked against what its bytes can hold before
// ImageMagick (or a library under it) allocates for the claim.
#include <cstdint>
#include <string>
#include <vector>

namespace pivra::imagelib {

// CommandError ("the picture's data ends early") for an uncompressed BMP
// whose pixel rows do not fit in the file; nothing for anything else.
void checkBmpBacking(const std::vector<std::uint8_t>& bytes, const std::string& name);

// CommandError ("the picture's data ends early") for a PNG with a chunk
// longer than the rest of the file: libpng would allocate the claimed
// length (up to 2 GB) before finding out.
void checkPngBacking(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace pivra::imagelib
