#pragma once
// Reads a BMP file of any depth and compression the format allows into a
// 24-bit bottom-up bitmap of the same size, upright whatever the file's row
// order. The decoding is Qt's BMP reader's.
#include <memory>
#include <string>

#include "surface/Bitmap.h"

namespace pivra {

// nullptr when the file is missing, unreadable or not a BMP picture.
std::unique_ptr<Bitmap> LoadBmpFile(const std::string& path);

}  // namespace pivra
