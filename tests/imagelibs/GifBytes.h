#pragma once
// A one-frame GIF laid out by giflib, so the screen, the frame and its place can differ and every index is known.
#include <gif_lib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pivra::test {

struct GifLayout {
    int screenWidth = 0, screenHeight = 0, left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;                          // width x height, top to bottom
    std::vector<std::uint32_t> colours = {0x000000, 0xffffff};  // 0xRRGGBB, a power of two
    bool dropColourTable = false;                               // the file then has no colour table at all
    bool interlaced = false;
};

// The image data's sub-blocks start at 24 + 3 * colours.size() (after the code size byte).
inline std::string GifFileBytes(const GifLayout& l) {
    std::string out;
    auto sink = [](GifFileType* gif, const GifByteType* data, int n) {
        static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
        return n;
    };
    std::vector<GifColorType> colours;
    for (std::uint32_t c : l.colours) colours.push_back({GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)});
    int error = 0;
    GifFileType* gif = EGifOpen(&out, sink, &error);
    ColorMapObject* map = GifMakeMapObject(int(colours.size()), colours.data());
    EGifPutScreenDesc(gif, l.screenWidth, l.screenHeight, 8, 0, map);
    EGifPutImageDesc(gif, l.left, l.top, l.width, l.height, l.interlaced, nullptr);
    std::vector<GifPixelType> pixels(l.indices.begin(), l.indices.end());  // giflib masks the rows it is given
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};                // interlaced rows in pass order
    for (int pass = 0; pass < (l.interlaced ? 4 : 1); ++pass)
        for (int y = l.interlaced ? start[pass] : 0; y < l.height; y += l.interlaced ? step[pass] : 1)
            EGifPutLine(gif, pixels.data() + std::size_t(y) * l.width, l.width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    if (l.dropColourTable) out[10] = char(out[10] & 0x7f), out.erase(13, 3 * colours.size());  // no global table
    return out;
}

}  // namespace pivra::test
