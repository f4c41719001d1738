#pragma once
// Reads a JPEG file into a surface through the JPEG library: the file is
// brought into memory in one read, the library decodes it straight into the
// surface's pixel memory as upright 24-bit blue-green-red rows, and every
// library failure becomes one message box.
#include <cstdint>
#include <string>

#include "surface/DibSection.h"

namespace pivra {

// factor 1, 2, 4 or 8 decodes at full, half, quarter or eighth size (any
// other factor at full size). A file
// that cannot be opened, is empty or is beyond 32-bit size gives false
// without a message and leaves dib untouched.
bool ReadJpegFile(CDIBSection& dib, const std::string& fileName, std::int32_t factor);

// True only when a picture was decoded into dib.
bool DecodeJpegBuffer(CDIBSection& dib, const std::uint8_t* dataPtr, std::int32_t dataLen, std::int32_t factor);

// "IJL ERROR: [code] - library text - context", style 48, titled "Intel(R) JPEG Library".
void ReportJpegError(const std::string& context, std::int32_t code);

// The NUL-terminated text at address; empty for nullptr.
std::string AnsiPtrToString(const char* address);

}  // namespace pivra
