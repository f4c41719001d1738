#include "PictureDecoder.h"

#include "PixelOps.h"

#include "CommandError.h"
#include "ExifOrientation.h"
#include "FileBacking.h"
#include "GifDecoder.h"
#include "HeifDecoder.h"
#include "ImageFormat.h"
#include "JpegDecoder.h"
#include "LargePictures.h"
#include "MagickHandles.h"
#include "MagickSession.h"
#include "Orientation.h"
#include "SizeChecks.h"
#include "WebpDecoder.h"

namespace pivra::imagelib {

namespace {

// A blob name whose "[0]" makes ImageMagick read the first frame only: a
// MIFF or PNG with many frames would otherwise be decoded whole.
void readFirstFrameOnly(MagickWand* wand) { MagickSetFilename(wand, "picture[0]"); }

// Reads only the headers, so a picture claiming a huge size is refused
// before any pixel memory is asked for.
void checkClaimedSize(const std::vector<std::uint8_t>& bytes, const char* coder,
                      const std::string& name) {
    WandPtr ping = newWand();
    MagickSetFormat(ping.get(), coder);
    readFirstFrameOnly(ping.get());
    if (MagickPingImageBlob(ping.get(), bytes.data(), bytes.size()) == MagickFalse)
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(ping.get()));
    MagickResetIterator(ping.get());
    while (MagickNextImage(ping.get()) != MagickFalse) {
        const long long width = static_cast<long long>(MagickGetImageWidth(ping.get()));
        const long long height = static_cast<long long>(MagickGetImageHeight(ping.get()));
        checkSize(width, height, name);
        checkDecodeBytes(width, height, kMagickDecodeBytesPerPixel, 0, name);
        size_t pageWidth = 0, pageHeight = 0;
        ssize_t x = 0, y = 0;
        MagickGetImagePage(ping.get(), &pageWidth, &pageHeight, &x, &y);
        if (pageWidth > 0 && pageHeight > 0)
            checkSize(static_cast<long long>(pageWidth), static_cast<long long>(pageHeight), name);
    }
}

void exportOpaque(MagickWand* wand, Picture& frame, const std::string& name) {
    if (MagickExportImagePixels(wand, 0, 0, frame.width, frame.height, "RGB", CharPixel, rgbStaging(frame)) ==
        MagickFalse)
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(wand));
    spreadRgbToOpaqueRgba(frame);
}

// PNG, BMP, MIFF and TIFF, through ImageMagick. `orientation` gets the
// TIFF's own Orientation tag.
Picture decodeWithMagick(const std::vector<std::uint8_t>& bytes, ImageFormat format, const std::string& name,
                         int& orientation) {
    const char* coder = magickCoderName(format);

    if (format == ImageFormat::Bmp) checkBmpBacking(bytes, name);
    if (format == ImageFormat::Png) checkPngBacking(bytes, name);
    checkClaimedSize(bytes, coder, name);

    WandPtr wand = newWand();
    // The coder is fixed from the content; nothing is left for ImageMagick to guess.
    MagickSetFormat(wand.get(), coder);
    readFirstFrameOnly(wand.get());
    if (MagickReadImageBlob(wand.get(), bytes.data(), bytes.size()) == MagickFalse)
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(wand.get()));
    MagickSetFirstIterator(wand.get());
    if (format == ImageFormat::Tiff) orientation = static_cast<int>(MagickGetImageOrientation(wand.get()));

    const std::size_t width = MagickGetImageWidth(wand.get());
    const std::size_t height = MagickGetImageHeight(wand.get());
    checkSize(static_cast<long long>(width), static_cast<long long>(height), name);

    ColorspaceType space = MagickGetImageColorspace(wand.get());
    if (space != sRGBColorspace && space != RGBColorspace && space != GRAYColorspace &&
        space != UndefinedColorspace)
        MagickTransformImageColorspace(wand.get(), sRGBColorspace);

    Picture frame(static_cast<int>(width), static_cast<int>(height));
    frame.matte = MagickGetImageAlphaChannel(wand.get()) != MagickFalse;
    // Without an alpha channel ImageMagick's alpha values are whatever its
    // pixel memory held: such a picture is opaque, so alpha is not asked for.
    if (!frame.matte) {
        exportOpaque(wand.get(), frame, name);
    } else if (MagickExportImagePixels(wand.get(), 0, 0, width, height, "RGBA", CharPixel,
                                       frame.rgba.data()) == MagickFalse) {
        throw CommandError("cannot decode \"" + name + "\": " + takeWandError(wand.get()));
    }
    frame.palette = GetImageFromMagickWand(wand.get())->storage_class == PseudoClass;
    return frame;
}

}  // namespace

bool decodesReduced(ImageFormat format) {
    return format == ImageFormat::Jpeg || format == ImageFormat::Heif || format == ImageFormat::Avif;
}

Picture decodeFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                         const std::optional<ResizeGeometry>& nextResize) {
    std::optional<ImageFormat> format = sniffFormat(bytes.data(), bytes.size());
    if (!format) throw CommandError("\"" + name + "\" is not a " + kPictureFormatNames + " picture");
    // The decoders of HEIF and AVIF turn the picture themselves.
    if (*format == ImageFormat::Heif || *format == ImageFormat::Avif) return decodeHeif(bytes, name, nextResize);
    if (*format == ImageFormat::Gif) return decodeGifFirstFrame(bytes, name, nextResize);
    int orientation = exifOrientation(bytes.data(), bytes.size(), *format);
    if (*format == ImageFormat::Jpeg)
        return turnUpright(decodeJpeg(bytes, name, nextResize, turnsOnItsSide(orientation)), orientation);
    if (*format == ImageFormat::Webp)
        return turnUpright(decodeWebp(bytes, name, nextResize, turnsOnItsSide(orientation)), orientation);
    // A PNG's or TIFF's claim is looked at first: beyond the limits it is
    // refused for that, and too large to decode whole it may still shrink.
    if (tooLargeToDecodeWhole(bytes, *format, name) && nextResize) {
        Picture shrunk = *format == ImageFormat::Png
                             ? decodePngShrinking(bytes, name, *nextResize, turnsOnItsSide(orientation))
                             : decodeTiffShrinking(bytes, name, *nextResize, orientation);
        return turnUpright(std::move(shrunk), orientation);
    }
    Picture stored = decodeWithMagick(bytes, *format, name, orientation);
    return turnUpright(std::move(stored), orientation);
}

}  // namespace pivra::imagelib
