#pragma once
// A DIB section: a bitmap header with its own zeroed pixel memory. Rows are
// stored bottom-up; pixels are blue, green, red (24 bits) or blue, green,
// red, unused (32 bits); each row is padded to a multiple of 4 bytes.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "surface/BitmapInfo.h"

namespace pivra {

class Bitmap {
public:
    // Only uncompressed 24- and 32-bit bottom-up sections (positive width and
    // height, pixel bytes within 32-bit signed range) are made; anything else
    // gives nullptr, as does a failed allocation.
    static std::unique_ptr<Bitmap> CreateDIBSection(const BitmapInfoHeader& header);

    const BitmapInfoHeader& header() const { return header_; }
    std::int32_t width() const { return header_.biWidth; }
    std::int32_t height() const { return header_.biHeight; }
    int bytesPerPixel() const { return header_.biBitCount / 8; }
    std::int32_t stride() const { return stride_; }
    std::size_t byteCount() const { return static_cast<std::size_t>(stride_) * header_.biHeight; }

    std::uint8_t* bits() { return bits_.get(); }
    const std::uint8_t* bits() const { return bits_.get(); }
    // Row y counted from the top of the picture.
    std::uint8_t* row(std::int32_t y) { return bits_.get() + rowOffset(y); }
    const std::uint8_t* row(std::int32_t y) const { return bits_.get() + rowOffset(y); }

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };

    Bitmap(const BitmapInfoHeader& header, std::int32_t stride, std::uint8_t* bits);
    std::size_t rowOffset(std::int32_t y) const {
        return static_cast<std::size_t>(header_.biHeight - 1 - y) * static_cast<std::size_t>(stride_);
    }

    BitmapInfoHeader header_;
    std::int32_t stride_;
    std::unique_ptr<std::uint8_t, FreeDeleter> bits_;
};

}  // namespace pivra
