#include "surface/Bitmap.h"

#include <cmath>
#include <limits>

namespace pivra {

std::int64_t ScanLineBytes(std::uint16_t bitCount, std::int32_t width) {
    const double exact = bitCount / 8.0 * width + 3.0;
    const double rounded = std::nearbyint(exact);
    if (!(std::fabs(rounded) < 4.0e9)) return -1;
    const std::int64_t bytes = static_cast<std::int64_t>(rounded) & ~std::int64_t{3};
    if (bytes > std::numeric_limits<std::int32_t>::max() || bytes < std::numeric_limits<std::int32_t>::min())
        return -1;
    return bytes;
}

Bitmap::Bitmap(const BitmapInfoHeader& header, std::int32_t stride, std::uint8_t* bits)
    : header_(header), stride_(stride), bits_(bits) {}

std::unique_ptr<Bitmap> Bitmap::CreateDIBSection(const BitmapInfoHeader& header) {
    if (header.biWidth <= 0 || header.biHeight <= 0) return nullptr;
    if (header.biBitCount != 24 && header.biBitCount != 32) return nullptr;
    if (header.biCompression != BI_RGB || header.biPlanes != 1) return nullptr;
    const std::int64_t stride = ScanLineBytes(header.biBitCount, header.biWidth);
    if (stride <= 0) return nullptr;
    const std::int64_t total = stride * header.biHeight;
    if (total > std::numeric_limits<std::int32_t>::max()) return nullptr;

    auto* bits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(total), 1));
    if (bits == nullptr) return nullptr;
    BitmapInfoHeader own = header;
    own.biSizeImage = static_cast<std::uint32_t>(total);
    return std::unique_ptr<Bitmap>(new Bitmap(own, static_cast<std::int32_t>(stride), bits));
}

}  // namespace pivra
