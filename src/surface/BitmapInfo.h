#pragma once
// The bitmap header a surface describes itself with, laid out as the
// platform's BITMAPINFOHEADER followed by one colour entry.
#include <cstdint>

namespace pivra {

struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct RgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

struct BitmapInfo {
    BitmapInfoHeader bmiHeader;
    RgbQuad bmiColors[1];
};

constexpr std::uint32_t kBitmapInfoHeaderSize = 40;
constexpr std::uint32_t BI_RGB = 0;

static_assert(sizeof(BitmapInfoHeader) == kBitmapInfoHeaderSize, "header must match the platform's layout");

// Bytes of one row: bits per pixel / 8 times the width, plus 3, rounded, low
// two bits cleared. -1 when the result does not fit in 32 bits signed.
std::int64_t ScanLineBytes(std::uint16_t bitCount, std::int32_t width);

}  // namespace pivra
