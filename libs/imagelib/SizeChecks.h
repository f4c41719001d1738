#pragma once
// The checks every decoder makes from a header, before it allocates pixels.
#include <cstddef>
#include <string>

#include "DecodeLimits.h"

namespace pivra::imagelib {

// CommandError unless 1..kMaxSide on each side and at most kMaxPixels.
void checkSize(long long width, long long height, const std::string& name);

// CommandError when a decode would hold more than its budget:
// bytesPerPixel for every pixel plus fixedBytes.
void checkDecodeBytes(long long width, long long height, std::size_t bytesPerPixel,
                      long long fixedBytes, const std::string& name, std::size_t budget = kMaxDecodeBytes);

// The refusal for a file too short for the picture it claims.
[[noreturn]] void failEndsEarly(const std::string& name);

}  // namespace pivra::imagelib
