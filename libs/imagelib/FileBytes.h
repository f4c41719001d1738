#pragma once
// Plain-file input and output for the commands. Paths here are only ever
// handed to the operating system, never to an image library.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FileIdentity.h"

namespace pivra::imagelib {

// A user's photo is a few MB; an uncompressed 8000 x 8000 BMP is 192 MB.
constexpr std::size_t kMaxInputBytes = 256u * 1024 * 1024;

// The whole file, or CommandError when it cannot be read or is too large.
// `identity`, when given, receives the version of the file that was read.
std::vector<std::uint8_t> readInputFile(const std::string& path,
                                        std::size_t maxBytes = kMaxInputBytes,
                                        FileIdentity* identity = nullptr);

// Writes to a hidden temporary file beside `path`, then renames it into
// place, so `path` never holds a partial file. CommandError on failure, with
// the temporary file removed. `identity`, when given, receives the version
// of the file that was put in place.
void writeOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     FileIdentity* identity = nullptr);

}  // namespace pivra::imagelib
