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
    EGifPutImageDesc(gif, l.left, l.top, l.width, l.height, false, nullptr);
    std::vector<GifPixelType> pixels(l.indices.begin(), l.indices.end());  // giflib masks the rows it is given
    for (int y = 0; y < l.height; ++y) EGifPutLine(gif, pixels.data() + std::size_t(y) * l.width, l.width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

}  // namespace pivra::test
