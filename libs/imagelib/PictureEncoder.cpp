#include "PictureEncoder.h"

#include "CommandError.h"
#include "GifEncoder.h"
#include "PixelOps.h"
#include "PictureWand.h"
#include "PlainPath.h"
#include "UncompressedFormats.h"

namespace pivra::imagelib {

std::vector<std::uint8_t> encodePicture(const Picture& picture, ImageFormat format) {
    if (format == ImageFormat::Gif) return encodeGif({picture}, AnimationSettings{});

    const bool opaque = picture.isOpaque();
    if (format == ImageFormat::Bmp && opaque && !plainPath()) return writeUncompressedBmp(picture);
    if (format == ImageFormat::Miff && opaque && !picture.palette && !picture.matte && !plainPath())
        return writePlainMiff(picture);
    WandPtr wand;
    if (format == ImageFormat::Jpeg && !opaque) {
        // JPEG has no alpha: what was transparent shows as white, not as
        // whatever colour happened to sit under it.
        Picture flat = picture;
        flattenOnto(flat, Rgb{255, 255, 255});
        wand = wandFromPicture(flat);
    } else if (format == ImageFormat::Miff) {
        // MIFF records whether the picture has a colour table and an alpha
        // channel; the next read (and its resize filter) depends on both.
        wand = wandFromPicture(picture, picture.matte);
        if (picture.palette) {
            const ImageType type = picture.hasAlpha() ? PaletteMatteType : PaletteType;
            MagickSetType(wand.get(), type);
            MagickSetImageType(wand.get(), type);
        }
    } else {
        wand = wandFromPicture(picture);
    }

    const char* coder = magickCoderName(format);
    if (format == ImageFormat::Bmp && opaque) {
        // The plain 40-byte header and 24 bits a pixel: every BMP reader takes that.
        coder = "BMP3";
        MagickSetType(wand.get(), TrueColorType);
        MagickSetImageType(wand.get(), TrueColorType);
    }
    if (format == ImageFormat::Jpeg) MagickSetImageCompressionQuality(wand.get(), 92);
    MagickSetImageFormat(wand.get(), coder);
    MagickSetFormat(wand.get(), coder);

    size_t length = 0;
    MagickBlobPtr blob(MagickGetImageBlob(wand.get(), &length));
    if (!blob || length == 0)
        throw CommandError(std::string("cannot encode ") + coder + ": " + takeWandError(wand.get()));
    return std::vector<std::uint8_t>(blob.get(), blob.get() + length);
}

}  // namespace pivra::imagelib
