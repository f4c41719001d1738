#include "GifInspect.h"

#include <gif_lib.h>

#include <QImageReader>
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

std::vector<QImage> ReadGifFrames(const std::string& path) {
    std::vector<QImage> frames;
    QImageReader reader(QString::fromStdString(path), "gif");
    QImage image;
    while (reader.read(&image)) frames.push_back(image.convertToFormat(QImage::Format_ARGB32));
    return frames;
}

}  // namespace pivra::test
