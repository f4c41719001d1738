#include "GifIndexedReader.h"

#include <cstring>

#include "GifMemoryReader.h"
#include "DecodeLimits.h"

namespace pivra::imagelib {

namespace {


}  // namespace

std::optional<PackedPicture> readWholeScreenGif(const std::vector<std::uint8_t>& bytes) {
    GifMemoryReader reader{&bytes};
    int error = 0;
    GifReaderPtr gif = openGifReader(reader, error);
    if (!gif) return std::nullopt;
    int transparent = NO_TRANSPARENT_COLOR;
    if (!readToFirstImage(gif.get(), transparent)) return std::nullopt;
    const GifImageDesc& desc = gif->Image;
    const long long width = desc.Width, height = desc.Height;
    if (desc.Left != 0 || desc.Top != 0 || width != gif->SWidth || height != gif->SHeight || width <= 0 ||
        height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels ||
        static_cast<unsigned long long>(width * height) * 5 > kMaxDecodeBytes)
        return std::nullopt;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map) return std::nullopt;

    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width * height));
    const int w = desc.Width, h = desc.Height;
    auto readRow = [&](int y) {
        return DGifGetLine(gif.get(), indices.data() + static_cast<std::size_t>(y) * w, w) == GIF_OK;
    };
    if (desc.Interlace) {
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < h; y += step[pass])
                if (!readRow(y)) return std::nullopt;
    } else {
        for (int y = 0; y < h; ++y)
            if (!readRow(y)) return std::nullopt;
    }

    // Every byte value gets a colour: the transparent one clear, those past
    // the table opaque black, as the general reader leaves them.
    std::vector<std::uint32_t> colors(256);
    for (int i = 0; i < 256; ++i) {
        std::uint8_t rgba[4] = {0, 0, 0, 255};
        if (i == transparent) {
            rgba[3] = 0;
        } else if (i < map->ColorCount) {
            rgba[0] = map->Colors[i].Red;
            rgba[1] = map->Colors[i].Green;
            rgba[2] = map->Colors[i].Blue;
        }
        std::memcpy(&colors[static_cast<std::size_t>(i)], rgba, 4);
    }
    return PackedPicture(w, h, true, transparent != NO_TRANSPARENT_COLOR, std::move(colors), std::move(indices));
}

}  // namespace pivra::imagelib
