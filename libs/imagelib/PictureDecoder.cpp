#include "PictureDecoder.h"

#include "CommandError.h"
#include "GifDecoder.h"
#include "ImageFormat.h"
#include "MagickHandles.h"
#include "MagickSession.h"

namespace pivra::imagelib {

namespace {

void checkSize(std::size_t width, std::size_t height, const std::string& name) {
    if (width == 0 || height == 0)
        throw CommandError("\"" + name + "\" has no pixels");
    if (width > static_cast<std::size_t>(kMaxSide) || height > static_cast<std::size_t>(kMaxSide) ||
        static_cast<long long>(width) * static_cast<long long>(height) > kMaxPixels)
        throw CommandError("\"" + name + "\" is too large (" + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels)");
}

// Reads only the headers, so a picture claiming a huge size is refused
// before any pixel memory is asked for.
void checkClaimedSize(const std::vector<std::uint8_t>& bytes, const char* coder,
                      const std::string& name) {
    WandPtr ping = newWand();
    MagickSetFormat(ping.get(), coder);
    if (MagickPingImageBlob(ping.get(), bytes.data(), bytes.size()) == MagickFalse)
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(ping.get()));
    MagickResetIterator(ping.get());
    while (MagickNextImage(ping.get()) != MagickFalse) {
        checkSize(MagickGetImageWidth(ping.get()), MagickGetImageHeight(ping.get()), name);
        size_t pageWidth = 0, pageHeight = 0;
        ssize_t x = 0, y = 0;
        MagickGetImagePage(ping.get(), &pageWidth, &pageHeight, &x, &y);
        if (pageWidth > 0 && pageHeight > 0) checkSize(pageWidth, pageHeight, name);
    }
}

}  // namespace

Picture decodeFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                         std::optional<PixelSize> jpegAtLeast) {
    std::optional<ImageFormat> format = sniffFormat(bytes.data(), bytes.size());
    if (!format) throw CommandError("\"" + name + "\" is not a picture");
    if (*format == ImageFormat::Gif) return decodeGifFirstFrame(bytes, name);
    const char* coder = magickCoderName(*format);

    checkClaimedSize(bytes, coder, name);

    WandPtr wand = newWand();
    // The coder is fixed from the content; nothing is left for ImageMagick to guess.
    MagickSetFormat(wand.get(), coder);
    if (jpegAtLeast && *format == ImageFormat::Jpeg)
        MagickSetOption(wand.get(), "jpeg:size",
                        (std::to_string(jpegAtLeast->width) + "x" + std::to_string(jpegAtLeast->height)).c_str());
    if (MagickReadImageBlob(wand.get(), bytes.data(), bytes.size()) == MagickFalse)
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(wand.get()));
    MagickSetFirstIterator(wand.get());

    const std::size_t width = MagickGetImageWidth(wand.get());
    const std::size_t height = MagickGetImageHeight(wand.get());
    checkSize(width, height, name);

    ColorspaceType space = MagickGetImageColorspace(wand.get());
    if (space != sRGBColorspace && space != RGBColorspace && space != GRAYColorspace &&
        space != UndefinedColorspace)
        MagickTransformImageColorspace(wand.get(), sRGBColorspace);

    Picture frame(static_cast<int>(width), static_cast<int>(height));
    if (MagickExportImagePixels(wand.get(), 0, 0, width, height, "RGBA", CharPixel,
                                frame.rgba.data()) == MagickFalse)
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(wand.get()));
    frame.palette = GetImageFromMagickWand(wand.get())->storage_class == PseudoClass;
    frame.matte = MagickGetImageAlphaChannel(wand.get()) != MagickFalse;
    return frame;
}

}  // namespace pivra::imagelib
