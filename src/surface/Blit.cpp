#include "surface/Blit.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pivra {
namespace {

// floor((2 * i + 1) * size / (2 * extent)): the source pixel nearest to the
// centre of destination pixel i; wide enough for any 32-bit coordinates.
std::int64_t NearestSource(std::int64_t i, std::int32_t size, std::int32_t extent) {
    const __int128 num = static_cast<__int128>(2 * i + 1) * size;
    return static_cast<std::int64_t>(num / (2 * static_cast<__int128>(extent)));
}

struct Clip {
    std::int64_t begin;
    std::int64_t end;  // exclusive
};

bool Usable(const DeviceContext* dc) { return dc != nullptr && dc->selected() != nullptr; }

bool KnownRop(std::int32_t rop) { return rop == SRCCOPY || rop == SRCAND; }

template <int DstBpp, int SrcBpp, bool And>
inline void PutPixel(std::uint8_t* d, const std::uint8_t* s) {
    if constexpr (DstBpp == SrcBpp) {
        for (int k = 0; k < DstBpp; ++k) d[k] = And ? static_cast<std::uint8_t>(d[k] & s[k]) : s[k];
    } else {
        for (int k = 0; k < 3; ++k) d[k] = And ? static_cast<std::uint8_t>(d[k] & s[k]) : s[k];
        if constexpr (DstBpp == 4) d[3] = 0;
    }
}

template <int DstBpp, int SrcBpp, bool And>
void CopyRow(std::uint8_t* d, const std::uint8_t* s, std::int64_t count) {
    if constexpr (DstBpp == SrcBpp && !And) {
        std::memcpy(d, s, static_cast<std::size_t>(count) * DstBpp);
    } else if constexpr (DstBpp == SrcBpp) {
        for (std::int64_t i = 0; i < count * DstBpp; ++i) d[i] &= s[i];
    } else {
        for (std::int64_t i = 0; i < count; ++i) PutPixel<DstBpp, SrcBpp, And>(d + i * DstBpp, s + i * SrcBpp);
    }
}

using RowFn = void (*)(std::uint8_t*, const std::uint8_t*, std::int64_t);

template <bool And>
RowFn PickRow(int dstBpp, int srcBpp) {
    if (dstBpp == 3) return srcBpp == 3 ? CopyRow<3, 3, And> : CopyRow<3, 4, And>;
    return srcBpp == 3 ? CopyRow<4, 3, And> : CopyRow<4, 4, And>;
}

template <int DstBpp, int SrcBpp, bool And>
void StretchRow(std::uint8_t* d, const std::uint8_t* s, const std::int64_t* srcOffsets, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i)
        if (srcOffsets[i] >= 0) PutPixel<DstBpp, SrcBpp, And>(d + i * DstBpp, s + srcOffsets[i]);
}

using StretchRowFn = void (*)(std::uint8_t*, const std::uint8_t*, const std::int64_t*, std::int64_t);

template <bool And>
StretchRowFn PickStretchRow(int dstBpp, int srcBpp) {
    if (dstBpp == 3) return srcBpp == 3 ? StretchRow<3, 3, And> : StretchRow<3, 4, And>;
    return srcBpp == 3 ? StretchRow<4, 3, And> : StretchRow<4, 4, And>;
}

// Drawing from a bitmap into itself works on a copy of the source, so the
// result never depends on the order pixels are visited in.
struct SelfCopy {
    std::unique_ptr<Bitmap> bitmap;
    std::unique_ptr<DeviceContext> dc;
};

SelfCopy CopyOfSource(DeviceContext* src) {
    SelfCopy copy;
    const Bitmap* original = src->selected();
    copy.bitmap = Bitmap::CreateDIBSection(original->header());
    copy.dc = CreateCompatibleDC();
    if (copy.bitmap && copy.dc) {
        std::memcpy(copy.bitmap->bits(), original->bits(), original->byteCount());
        SelectObject(copy.dc.get(), copy.bitmap.get());
    }
    return copy;
}

}  // namespace

bool BitBlt(DeviceContext* dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
            DeviceContext* src, std::int32_t sx, std::int32_t sy, std::int32_t rop) {
    if (!Usable(dst) || !Usable(src) || !KnownRop(rop) || w <= 0 || h <= 0) return false;
    if (dst->selected() == src->selected()) {
        SelfCopy copy = CopyOfSource(src);
        if (!copy.dc || !copy.dc->selected()) return false;
        return BitBlt(dst, x, y, w, h, copy.dc.get(), sx, sy, rop);
    }
    Bitmap& d = *dst->selected();
    const Bitmap& s = *src->selected();

    std::int64_t dx = x, dy = y, srcX = sx, srcY = sy, width = w, height = h;
    const std::int64_t skipX = std::max<std::int64_t>({0, -dx, -srcX});
    const std::int64_t skipY = std::max<std::int64_t>({0, -dy, -srcY});
    dx += skipX, srcX += skipX, width -= skipX;
    dy += skipY, srcY += skipY, height -= skipY;
    width = std::min({width, d.width() - dx, s.width() - srcX});
    height = std::min({height, d.height() - dy, s.height() - srcY});
    if (width <= 0 || height <= 0) return true;

    const RowFn copyRow = rop == SRCAND ? PickRow<true>(d.bytesPerPixel(), s.bytesPerPixel())
                                        : PickRow<false>(d.bytesPerPixel(), s.bytesPerPixel());
    for (std::int64_t r = 0; r < height; ++r)
        copyRow(d.row(static_cast<std::int32_t>(dy + r)) + dx * d.bytesPerPixel(),
                s.row(static_cast<std::int32_t>(srcY + r)) + srcX * s.bytesPerPixel(), width);
    dst->drawn();
    return true;
}

bool StretchBlt(DeviceContext* dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                DeviceContext* src, std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                std::int32_t rop) {
    if (!Usable(dst) || !Usable(src) || !KnownRop(rop)) return false;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
    if (w == sw && h == sh) return BitBlt(dst, x, y, w, h, src, sx, sy, rop);
    if (dst->selected() == src->selected()) {
        SelfCopy copy = CopyOfSource(src);
        if (!copy.dc || !copy.dc->selected()) return false;
        return StretchBlt(dst, x, y, w, h, copy.dc.get(), sx, sy, sw, sh, rop);
    }
    Bitmap& d = *dst->selected();
    const Bitmap& s = *src->selected();

    // Destination columns and rows that land inside the destination bitmap.
    const Clip cols{std::max<std::int64_t>(0, -std::int64_t{x}),
                    std::min<std::int64_t>(w, std::int64_t{d.width()} - x)};
    const Clip rows{std::max<std::int64_t>(0, -std::int64_t{y}),
                    std::min<std::int64_t>(h, std::int64_t{d.height()} - y)};
    if (cols.begin >= cols.end || rows.begin >= rows.end) return true;

    std::vector<std::int64_t> srcOffsets(static_cast<std::size_t>(cols.end - cols.begin));
    for (std::int64_t i = cols.begin; i < cols.end; ++i) {
        const std::int64_t srcCol = sx + NearestSource(i, sw, w);
        srcOffsets[static_cast<std::size_t>(i - cols.begin)] =
            srcCol >= 0 && srcCol < s.width() ? srcCol * s.bytesPerPixel() : -1;
    }

    const StretchRowFn stretchRow = rop == SRCAND ? PickStretchRow<true>(d.bytesPerPixel(), s.bytesPerPixel())
                                                  : PickStretchRow<false>(d.bytesPerPixel(), s.bytesPerPixel());
    for (std::int64_t j = rows.begin; j < rows.end; ++j) {
        const std::int64_t srcRow = sy + NearestSource(j, sh, h);
        if (srcRow < 0 || srcRow >= s.height()) continue;
        stretchRow(d.row(static_cast<std::int32_t>(y + j)) + (x + cols.begin) * d.bytesPerPixel(),
                   s.row(static_cast<std::int32_t>(srcRow)), srcOffsets.data(), cols.end - cols.begin);
    }
    dst->drawn();
    return true;
}

}  // namespace pivra
