#include "surface/DibSection.h"

#include <cmath>
#include <cstdlib>

#include "platform/MessageBox.h"
#include "surface/BmpFile.h"

namespace pivra {

std::int32_t HalfRoundedToEven(std::int32_t n) {
    const auto low = static_cast<std::int32_t>(std::floor(n / 2.0));
    if (n % 2 == 0) return low;
    return low % 2 == 0 ? low : low + 1;
}

bool CDIBSection::CreateDIB(DeviceContext* lhDC, std::int32_t lWidth, std::int32_t lHeight,
                            std::int32_t lChannels, std::unique_ptr<Bitmap>& hDib) {
    BitmapInfoHeader& h = surfInfo.bmiHeader;
    h.biSize = kBitmapInfoHeaderSize;
    h.biWidth = lWidth;
    h.biHeight = lHeight;
    h.biPlanes = 1;
    h.biBitCount = lChannels == 3 ? 24 : 32;
    h.biCompression = BI_RGB;
    const std::int64_t total = std::int64_t{BytesPerScanLine()} * lHeight;
    // A byte count beyond 32 bits signed is refused, never wrapped.
    h.biSizeImage = total >= 0 && total <= INT32_MAX ? static_cast<std::uint32_t>(total) : 0;
    hDib.reset();
    if (lhDC == nullptr || BytesPerScanLine() <= 0 || total <= 0 || total > INT32_MAX) return false;
    hDib = Bitmap::CreateDIBSection(h);
    surfBits = hDib ? hDib->bits() : nullptr;
    return hDib != nullptr;
}

bool CDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight, std::int32_t lChannels) {
    CleanUp();
    surfDC = CreateCompatibleDC();
    if (!surfDC) return false;
    if (CreateDIB(surfDC.get(), lWidth, lHeight, lChannels, surfDib)) {
        surfOldBitmap = SelectObject(surfDC.get(), surfDib.get());
        return true;
    }
    // A surface that failed to be made is empty, its description included.
    CleanUp();
    return false;
}

bool CDIBSection::Load(const std::string& Name) {
    CleanUp();
    surfDC = CreateCompatibleDC();
    if (!surfDC) return false;
    std::unique_ptr<Bitmap> loaded = LoadBmpFile(Name);
    if (!loaded) {
        surfDC.reset();
        MessageBox("Can't load BMP image", MB_OK, AppTitle);
        return false;
    }
    // The loader has already converted the rows to upright 24-bit pixels, so
    // its bitmap becomes this surface's section as it is.
    surfInfo.bmiHeader = loaded->header();
    surfInfo.bmiHeader.biSize = kBitmapInfoHeaderSize;
    surfInfo.bmiHeader.biBitCount = 24;
    surfInfo.bmiHeader.biCompression = BI_RGB;
    surfInfo.bmiHeader.biClrUsed = 0;
    surfInfo.bmiHeader.biClrImportant = 0;
    surfDib = std::move(loaded);
    surfBits = surfDib->bits();
    surfOldBitmap = SelectObject(surfDC.get(), surfDib.get());
    return true;
}

std::int32_t CDIBSection::BytesPerScanLine() const {
    const std::int64_t bytes = ScanLineBytes(surfInfo.bmiHeader.biBitCount, surfInfo.bmiHeader.biWidth);
    return bytes < 0 ? 0 : static_cast<std::int32_t>(bytes);
}

std::int32_t CDIBSection::dib_channels() const {
    return static_cast<std::int32_t>(std::nearbyint(surfInfo.bmiHeader.biBitCount / 8.0));
}

void CDIBSection::Copy(CDIBSection& Dest, std::int16_t i_size) const {
    Dest.Create(i_size, i_size, dib_channels());
    SetStretchBltMode(Dest.hDC(), COLORONCOLOR);
    StretchBlt(Dest.hDC(), 0, 0, i_size, i_size, hDC(), 0, 0, dib_width(), dib_height(), SRCCOPY);
}

void CDIBSection::rotate(CDIBSection& Dest, std::int16_t nPix, std::int16_t i_size) const {
    Dest.Create(i_size, i_size, dib_channels());
    SetStretchBltMode(Dest.hDC(), COLORONCOLOR);
    // The width and the gap are 16-bit values; one that does not fit (|-32768|,
    // or a negative side) is refused and the destination stays black.
    const std::int32_t w = std::abs(std::int32_t{nPix});
    const std::int32_t gap = i_size - w;
    if (w > INT16_MAX || gap < INT16_MIN || gap > INT16_MAX) return;
    const std::int32_t x = HalfRoundedToEven(gap);
    StretchBlt(Dest.hDC(), x, 0, w, i_size, hDC(), 0, 0, dib_width(), dib_height(), SRCCOPY);
}

void CDIBSection::Mask(const CDIBSection& Mask) {
    BitBlt(hDC(), 0, 0, dib_width(), dib_height(), Mask.hDC(), 0, 0, SRCAND);
}

void CDIBSection::PaintPicture(DeviceContext* lhDC, std::int32_t lDestLeft, std::int32_t lDestTop,
                               std::int32_t lDestWidth, std::int32_t lDestHeight, std::int32_t lSrcLeft,
                               std::int32_t lSrcTop, std::int32_t eRop) const {
    if (lDestWidth < 0) lDestWidth = surfInfo.bmiHeader.biWidth;
    if (lDestHeight < 0) lDestHeight = surfInfo.bmiHeader.biHeight;
    BitBlt(lhDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, hDC(), lSrcLeft, lSrcTop, eRop);
}

void CDIBSection::CleanUp() {
    if (surfDC) {
        if (surfDib) {
            SelectObject(surfDC.get(), surfOldBitmap);
            surfDib.reset();
        }
        surfDC.reset();
    }
    surfDib.reset();
    surfOldBitmap = nullptr;
    surfBits = nullptr;
    surfInfo.bmiColors[0] = RgbQuad{};
    BitmapInfoHeader& h = surfInfo.bmiHeader;
    h.biSize = kBitmapInfoHeaderSize;
    h.biWidth = h.biHeight = 0;
    h.biPlanes = h.biBitCount = 0;
    h.biCompression = h.biClrUsed = h.biClrImportant = 0;
}

}  // namespace pivra
