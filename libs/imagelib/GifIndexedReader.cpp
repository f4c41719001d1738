#include "GifIndexedReader.h"

#include <cstring>

#include "GifLzw.h"
#include "GifMemoryReader.h"
#include "DecodeLimits.h"

namespace pivra::imagelib {

namespace {

constexpr int kPassStart[] = {0, 4, 2, 1}, kPassStep[] = {8, 8, 4, 2};

// The image data decoded here from the bytes after the minimum code size
// giflib has just read; false leaves giflib's reader where it was.
bool decodeHere(const std::vector<std::uint8_t>& bytes, std::size_t offset, bool interlaced, int width, int height,
                std::vector<std::uint8_t>& indices) {
    if (offset == 0 || offset > bytes.size()) return false;
    const int codeSize = bytes[offset - 1];
    std::vector<std::uint8_t> data;
    if (!joinSubBlocks(bytes, offset, data)) return false;
    if (!interlaced) return lzwDecode(data.data(), data.size(), codeSize, indices.data(), indices.size());
    std::vector<std::uint8_t> stream(indices.size());
    if (!lzwDecode(data.data(), data.size(), codeSize, stream.data(), stream.size())) return false;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::uint8_t* row = stream.data();
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kPassStart[pass]; y < height; y += kPassStep[pass], row += w)
            std::memcpy(indices.data() + static_cast<std::size_t>(y) * w, row, w);
    return true;
}

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
    auto readWithGiflib = [&] {
        if (desc.Interlace) {
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kPassStart[pass]; y < h; y += kPassStep[pass])
                    if (!readRow(y)) return false;
        } else {
            for (int y = 0; y < h; ++y)
                if (!readRow(y)) return false;
        }
        return true;
    };
    if (!decodeHere(bytes, reader.offset, desc.Interlace, w, h, indices) && !readWithGiflib()) return std::nullopt;

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
