#pragma once
// CDIBSection: the program's in-memory picture. An uncompressed 24- or 32-bit
// bitmap (rows bottom-up, blue-green-red, rows padded to 4 bytes) selected
// into its own memory device context, so that the blits can read from and
// draw into it. Pixel work is done by whole-rectangle blits and stretches.
#include <cstdint>
#include <memory>
#include <string>

#include "surface/Bitmap.h"
#include "surface/BitmapInfo.h"
#include "surface/Blit.h"
#include "surface/DeviceContext.h"

namespace pivra {

class CDIBSection {
public:
    CDIBSection() = default;
    ~CDIBSection() { CleanUp(); }
    CDIBSection(const CDIBSection&) = delete;
    CDIBSection& operator=(const CDIBSection&) = delete;

    // ANDs the mask into this surface over this surface's whole rectangle;
    // white in the mask keeps the picture, black blacks it out.
    void Mask(const CDIBSection& Mask);
    // Makes Dest a black i_size square holding this picture squeezed to
    // |nPix| pixels wide, centred (the sign of nPix is ignored).
    void rotate(CDIBSection& Dest, std::int16_t nPix, std::int16_t i_size) const;
    // Makes Dest this picture stretched to an i_size square.
    void Copy(CDIBSection& Dest, std::int16_t i_size) const;

    // Describes a lWidth x lHeight section in this surface's header (24 bits
    // when lChannels is 3, 32 otherwise) and makes it on lhDC.
    bool CreateDIB(DeviceContext* lhDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t lChannels,
                   std::unique_ptr<Bitmap>& hDib);
    // A new all-black surface. False, and the surface empty, when the size is
    // not positive or its bytes do not fit in 32 bits signed.
    bool Create(std::int32_t lWidth, std::int32_t lHeight, std::int32_t lChannels);
    // A BMP file of any depth becomes a 24-bit surface of its size. Shows
    // "Can't load BMP image" and leaves the surface empty when it cannot.
    bool Load(const std::string& Name);

    std::int32_t BytesPerScanLine() const;
    std::int32_t dib_width() const { return surfInfo.bmiHeader.biWidth; }
    std::int32_t dib_height() const { return surfInfo.bmiHeader.biHeight; }
    std::int32_t dib_channels() const;

    // Transfers a block of this surface to lhDC without scaling; a negative
    // width or height means the surface's own.
    void PaintPicture(DeviceContext* lhDC, std::int32_t lDestLeft = 0, std::int32_t lDestTop = 0,
                      std::int32_t lDestWidth = -1, std::int32_t lDestHeight = -1, std::int32_t lSrcLeft = 0,
                      std::int32_t lSrcTop = 0, std::int32_t eRop = SRCCOPY) const;

    DeviceContext* hDC() const { return surfDC.get(); }
    Bitmap* hDib() const { return surfDib.get(); }
    std::uint8_t* DIBSectionBitsPtr() const { return surfBits; }
    const BitmapInfoHeader& header() const { return surfInfo.bmiHeader; }

    // Releases the context and the bitmap; the surface is empty afterwards.
    void CleanUp();

private:
    std::unique_ptr<Bitmap> surfDib;
    Bitmap* surfOldBitmap = nullptr;
    std::unique_ptr<DeviceContext> surfDC;
    std::uint8_t* surfBits = nullptr;
    BitmapInfo surfInfo{};
};

// n / 2 rounded to the nearest integer, a half going to the even neighbour.
std::int32_t HalfRoundedToEven(std::int32_t n);

}  // namespace pivra
