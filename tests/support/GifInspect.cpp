#include "GifInspect.h"

#include <gif_lib.h>

#include <QImageReader>
#include <memory>

namespace pivra::test {

GifInfo ReadGifStructure(const std::string& path) {
    GifInfo info;
    int error = 0;
    GifFileType* raw = DGifOpenFileName(path.c_str(), &error);
    if (!raw) return info;
    std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif(raw, [](GifFileType* g) {
        int e = 0;
        DGifCloseFile(g, &e);
    });
    if (DGifSlurp(gif.get()) != GIF_OK) return info;
    info.ok = true;
    info.screenWidth = gif->SWidth;
    info.screenHeight = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GifFrameInfo frame;
        frame.left = image.ImageDesc.Left;
        frame.top = image.ImageDesc.Top;
        frame.width = image.ImageDesc.Width;
        frame.height = image.ImageDesc.Height;
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif.get(), i, &gcb) == GIF_OK) {
            frame.delayCs = gcb.DelayTime;
            frame.disposal = gcb.DisposalMode;
            frame.transparentIndex = gcb.TransparentColor;
        }
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
