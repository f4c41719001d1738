#pragma once
// Reading and writing single pixels of a surface in the tests, counted from
// the top left as the blits count them.
#include <cstdint>
#include <functional>
#include <ostream>

#include "surface/DibSection.h"

namespace pivra::test {

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
    bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
    bool operator!=(const Bgr& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& os, const Bgr& p) {
    return os << "(b" << int(p.b) << " g" << int(p.g) << " r" << int(p.r) << ")";
}

inline Bgr Rgb(std::uint32_t rgb) {
    return {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb >> 16)};
}

inline Bgr PixelAt(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.row(y) + x * bitmap.bytesPerPixel();
    return {p[0], p[1], p[2]};
}

inline Bgr PixelAt(const CDIBSection& dib, int x, int y) { return PixelAt(*dib.hDib(), x, y); }

inline void Fill(CDIBSection& dib, const std::function<Bgr(int x, int y)>& colour) {
    Bitmap& bitmap = *dib.hDib();
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const Bgr c = colour(x, y);
            std::uint8_t* p = bitmap.row(y) + x * bitmap.bytesPerPixel();
            p[0] = c.b, p[1] = c.g, p[2] = c.r;
        }
}

inline bool AllZero(const CDIBSection& dib) {
    const Bitmap* bitmap = dib.hDib();
    for (std::size_t i = 0; i < bitmap->byteCount(); ++i)
        if (bitmap->bits()[i] != 0) return false;
    return true;
}

}  // namespace pivra::test
