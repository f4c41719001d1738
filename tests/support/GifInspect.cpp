#include "GifInspect.h"

#include <gif_lib.h>

#include <QImageReader>
#include <algorithm>
#include <memory>

namespace pivra::test {

GifInfo ReadGifStructure(const std::string& path) {
    GifInfo info;
    int error = 0;
    const auto close = [](GifFileType* g) { int e = 0; DGifCloseFile(g, &e); };
    std::unique_ptr<GifFileType, decltype(close)> gif(DGifOpenFileName(path.c_str(), &error), close);
    if (!gif || DGifSlurp(gif.get()) != GIF_OK) return info;
    info.ok = true;
    info.screenWidth = gif->SWidth;
    info.screenHeight = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        GifFrameInfo frame{-1, -1, -1, d.Left, d.Top, d.Width, d.Height};
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif.get(), i, &gcb) == GIF_OK)
            frame = {gcb.DelayTime, gcb.DisposalMode, gcb.TransparentColor, d.Left, d.Top, d.Width, d.Height};
        for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& app = image.ExtensionBlocks[e];
            const ExtensionBlock& sub = image.ExtensionBlocks[e + 1];
            if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
                std::string(reinterpret_cast<char*>(app.Bytes), 11) == "NETSCAPE2.0" && sub.ByteCount >= 3 &&
                sub.Bytes[0] == 1)
                info.loopCount = sub.Bytes[1] | (sub.Bytes[2] << 8);
        }
        info.frames.push_back(frame);
    }
    return info;
}

std::vector<RgbaFrame> ReadGifCanvases(const std::string& path) {
    std::vector<RgbaFrame> canvases;
    int error = 0;
    const auto close = [](GifFileType* g) { int e = 0; DGifCloseFile(g, &e); };
    std::unique_ptr<GifFileType, decltype(close)> gif(DGifOpenFileName(path.c_str(), &error), close);
    if (!gif || DGifSlurp(gif.get()) != GIF_OK) return canvases;
    RgbaFrame canvas{gif->SWidth, gif->SHeight, std::vector<std::uint8_t>(size_t(gif->SWidth) * gif->SHeight * 4, 0)};
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif.get(), i, &gcb);
        const RgbaFrame before = canvas;
        for (int y = 0; y < d.Height && map; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == gcb.TransparentColor || index >= map->ColorCount || d.Left + x >= canvas.width ||
                    d.Top + y >= canvas.height)
                    continue;
                std::uint8_t* p = &canvas.rgba[(size_t(d.Top + y) * canvas.width + d.Left + x) * 4];
                const GifColorType& c = map->Colors[index];
                p[0] = c.Red, p[1] = c.Green, p[2] = c.Blue, p[3] = 255;
            }
        canvases.push_back(canvas);
        if (gcb.DisposalMode == DISPOSE_PREVIOUS) canvas = before;
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            for (int y = d.Top; y < std::min(d.Top + d.Height, canvas.height); ++y)
                for (int x = d.Left; x < std::min(d.Left + d.Width, canvas.width); ++x)
                    std::fill_n(&canvas.rgba[(size_t(y) * canvas.width + x) * 4], 4, 0);
    }
    return canvases;
}

std::vector<QImage> ReadGifFrames(const std::string& path) {
    std::vector<QImage> frames;
    QImageReader reader(QString::fromStdString(path), "gif");
    QImage image;
    while (reader.read(&image)) frames.push_back(image.convertToFormat(QImage::Format_ARGB32));
    return frames;
}

}  // namespace pivra::test
