#pragma once
// Rectangle transfers between the bitmaps selected into two device contexts.
// Every transfer is clipped to both bitmaps: a source pixel that is not there
// leaves its destination pixel alone, and nothing outside either bitmap is
// read or written. Pixels are converted between 24 and 32 bits on the way
// (the unused byte of a 32-bit destination becomes 0).
#include <cstdint>

#include "surface/DeviceContext.h"

namespace pivra {

// Raster operations.
constexpr std::int32_t SRCCOPY = 0xCC0020;  // destination = source
constexpr std::int32_t SRCAND = 0x8800C6;   // destination = destination AND source

// Copies a w x h block without scaling, coordinates counted from the top left.
// False when a context has no bitmap, the operation is unknown or the size is
// not positive.
bool BitBlt(DeviceContext* dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
            DeviceContext* src, std::int32_t sx, std::int32_t sy, std::int32_t rop);

// Scales the sw x sh source block onto the w x h destination block, each
// destination pixel taking the source pixel nearest to its centre. Negative
// sizes (mirroring) are refused.
bool StretchBlt(DeviceContext* dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                DeviceContext* src, std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                std::int32_t rop);

}  // namespace pivra
