#pragma once
// The EXIF Orientation a photo was stored with: cameras keep the sensor's
// rows and record how to turn them, and every viewer turns them back.
#include <cstddef>
#include <cstdint>

#include "ImageFormat.h"

namespace pivra::imagelib {

// 1 to 8 as EXIF numbers them, from a JPEG's APP1, a PNG's eXIf chunk or a
// WebP's EXIF chunk; 1 (as stored) when there is none or it makes no sense.
// Other formats say 1: HEIF and AVIF carry their turn in boxes the decoder
// applies, and the TIFF decoder reports its own tag.
int exifOrientation(const std::uint8_t* bytes, std::size_t size, ImageFormat format);

// The Orientation entry of a TIFF-structured EXIF block; 1 without one.
int orientationInTiffBlock(const std::uint8_t* block, std::size_t size);

}  // namespace pivra::imagelib
