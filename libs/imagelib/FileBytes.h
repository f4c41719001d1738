#pragma once
// Plain-file input and output for the commands. Paths here are only ever
// handed to the operating system, never to an image library.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DecodeLimits.h"
#include "FileIdentity.h"

namespace pivra::imagelib {

// The whole file, or CommandError when it cannot be read or is too large.
// `identity`, when given, receives the version of the file that was read.
std::vector<std::uint8_t> readInputFile(const std::string& path,
                                        std::size_t maxBytes = kMaxInputBytes,
                                        FileIdentity* identity = nullptr);

// Writes all of bytes to fd; CommandError naming `path` and the system's
// reason ("No space left on device") when it cannot.
void writeAllBytes(int fd, const std::vector<std::uint8_t>& bytes, const std::string& path);

// Writes to a hidden temporary file beside `path`, then renames it into
// place, so `path` never holds a partial file. CommandError on failure, with
// the temporary file removed. `identity`, when given, receives the version
// of the file that was put in place.
void writeOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     FileIdentity* identity = nullptr);

}  // namespace pivra::imagelib
