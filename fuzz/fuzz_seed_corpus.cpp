// Writes seed pictures for the fuzzers: BMPs of each depth and compression,
// JPEGs grey, colour, progressive and four-channel; for the image libraries
// all of those and PNG, GIF, MIFF, WebP, TIFF, HEIC and AVIF pictures written
// with MagickWand, some with an EXIF orientation.
#include <wand/MagickWand.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PictureBytes.h"

using namespace pivra::test;

namespace {

// A small picture with a gradient and a transparent corner (or an opaque
// grey one), in the coder and image type given ("PNG", "GIF", "MIFF"...).
// The EXIF block ImageMagick writes for a profile named "exif": the JPEG
// marker's "Exif" header, then a little-endian TIFF block with one entry,
// the Orientation.
std::vector<unsigned char> exifWithOrientation(unsigned char orientation) {
    return {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
            orientation, 0, 0, 0, 0, 0, 0, 0};
}

void writeWithMagick(const std::string& path, const char* coder, ImageType type, bool interlaced, bool opaqueGrey = false,
                     unsigned char orientation = 0, int frames = 1) {
    const int w = 12, h = 9;
    std::vector<unsigned char> rgba;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (opaqueGrey)
                rgba.insert(rgba.end(), 3, static_cast<unsigned char>(x * 20));
            else
                rgba.insert(rgba.end(), {static_cast<unsigned char>(x * 20), static_cast<unsigned char>(y * 28),
                                         static_cast<unsigned char>(200 - x * 10),
                                         static_cast<unsigned char>(x + y < 3 ? 0 : 255)});
    MagickWand* wand = NewMagickWand();
    for (int f = 0; f < frames; ++f) {
        MagickConstituteImage(wand, w, h, opaqueGrey ? "RGB" : "RGBA", CharPixel, rgba.data());
        for (unsigned char& v : rgba) v = static_cast<unsigned char>(255 - v);
    }
    if (type != UndefinedType) MagickSetImageType(wand, type);
    if (interlaced) MagickSetInterlaceScheme(wand, LineInterlace);
    if (orientation != 0) {
        const std::vector<unsigned char> exif = exifWithOrientation(orientation);
        MagickSetImageProfile(wand, "exif", exif.data(), exif.size());
        MagickSetImageOrientation(wand, static_cast<OrientationType>(orientation));
    }
    MagickWriteImages(wand, (std::string(coder) + ":" + path).c_str(), MagickTrue);
    DestroyMagickWand(wand);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "bmp");
    std::filesystem::create_directories(root / "jpeg");
    auto bmp = [&](const std::string& name, const BmpLayout& l) { WriteFile((root / "bmp" / name).string(), BmpFileBytes(l)); };
    auto jpeg = [&](const std::string& name, const JpegSource& s) { WriteFile((root / "jpeg" / name).string(), EncodeJpeg(s)); };

    bmp("pal1.bmp", {10, 2, 1, 0, {0x000000, 0xffff00}, {}, {0x55, 0x40, 0, 0, 0xaa, 0x80, 0, 0}});
    bmp("pal4.bmp", {3, 1, 4, 0, {0, 0x112233, 0x445566, 0x778899}, {}, {0x12, 0x30, 0, 0}});
    bmp("pal8.bmp", {3, 2, 8, 0, {0x102030, 0xff0000, 0x00ff00, 0x0000ff}, {}, {0, 3, 1, 0, 1, 2, 3, 0}});
    bmp("rle8.bmp", {4, 2, 8, 1, {0, 0xff0000, 0x00ff00, 0x0000ff}, {}, {4, 1, 0, 0, 0, 4, 2, 3, 2, 3, 0, 1}});
    bmp("rle4.bmp", {5, 1, 4, 2, {0, 0x808080, 0xff00ff}, {}, {5, 0x12, 0, 1}});
    bmp("rgb555.bmp", {3, 1, 16, 0, {}, {}, {0x00, 0x7c, 0xe0, 0x03, 0xff, 0x7f, 0, 0}});
    bmp("rgb565.bmp", {2, 1, 16, 3, {}, {0xf800, 0x07e0, 0x001f}, {0x1f, 0x00, 0xe0, 0x07}});
    bmp("rgb24.bmp", {3, 2, 24, 0, {}, {}, {4, 0, 0, 5, 0, 0, 6, 0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0}});
    bmp("topdown24.bmp", {3, -2, 24, 0, {}, {}, {1, 0, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0, 4, 0, 0, 5, 0, 0, 6, 0, 0, 0, 0, 0}});
    bmp("rgb32.bmp", {2, 1, 32, 0, {}, {}, {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0}});

    jpeg("grey.jpg", SmoothPicture(17, 9, 1));
    jpeg("colour.jpg", SmoothPicture(33, 21, 3));
    JpegSource progressive = SmoothPicture(24, 16, 3);
    progressive.progressive = true;
    jpeg("progressive.jpg", progressive);
    jpeg("cmyk.jpg", SmoothPicture(8, 8, 4));

    // The image libraries read all of the above, and more.
    const std::filesystem::path libs = root / "imagelib";
    std::filesystem::create_directories(libs);
    for (const char* kind : {"bmp", "jpeg"})
        for (const auto& entry : std::filesystem::directory_iterator(root / kind))
            std::filesystem::copy_file(entry.path(), libs / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
    MagickWandGenesis();
    writeWithMagick((libs / "rgba.png").string(), "PNG", UndefinedType, false);
    writeWithMagick((libs / "palette.png").string(), "PNG8", UndefinedType, false);
    writeWithMagick((libs / "plain.gif").string(), "GIF", UndefinedType, false);
    writeWithMagick((libs / "interlaced.gif").string(), "GIF", UndefinedType, true);
    writeWithMagick((libs / "rgba.mif").string(), "MIFF", UndefinedType, false);
    writeWithMagick((libs / "palette.mif").string(), "MIFF", PaletteMatteType, false);
    // The plain forms the templates take, which the libraries read themselves.
    writeWithMagick((libs / "grey.mif").string(), "MIFF", UndefinedType, false, true);
    writeWithMagick((libs / "grey-palette.mif").string(), "MIFF", PaletteType, false, true);
    writeWithMagick((libs / "alpha.bmp").string(), "BMP", UndefinedType, false);
    // Phone and web photos, and photos stored turned.
    writeWithMagick((libs / "rgba.webp").string(), "WEBP", UndefinedType, false);
    writeWithMagick((libs / "grey.webp").string(), "WEBP", UndefinedType, false, true, 6);
    writeWithMagick((libs / "animated.webp").string(), "WEBP", UndefinedType, false, false, 0, 2);
    writeWithMagick((libs / "rgba.tif").string(), "TIFF", UndefinedType, false);
    writeWithMagick((libs / "turned.tif").string(), "TIFF", UndefinedType, false, true, 8);
    writeWithMagick((libs / "pages.tif").string(), "TIFF", UndefinedType, false, false, 0, 2);
    writeWithMagick((libs / "turned.jpg").string(), "JPEG", UndefinedType, false, true, 5);
    writeWithMagick((libs / "turned.png").string(), "PNG", UndefinedType, false, false, 7);
    writeWithMagick((libs / "grey.heic").string(), "HEIC", UndefinedType, false, true);
    writeWithMagick((libs / "rgba.avif").string(), "AVIF", UndefinedType, false);
    MagickWandTerminus();
    return 0;
}
