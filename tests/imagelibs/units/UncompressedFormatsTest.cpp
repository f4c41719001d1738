// The BMP and MIFF forms read and written without ImageMagick, against
// ImageMagick itself: the same bytes written, the same pixels and flags
// read, and every other form of these formats left to it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "MagickHandles.h"
#include "MagickSession.h"
#include "PictureDecoder.h"
#include "PictureWand.h"
#include "UncompressedFormats.h"

namespace pivra::imagelib {
namespace {

using Bytes = std::vector<std::uint8_t>;

Picture opaquePicture(int width, int height, int seed) {
    Picture picture(width, height);
    std::uint32_t state = static_cast<std::uint32_t>(seed) * 2654435761u + 1;
    for (std::size_t i = 0; i < picture.rgba.size(); ++i) {
        state = state * 1103515245u + 12345u;
        picture.rgba[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(state >> 24);
    }
    return picture;
}

Picture greyPicture(int width, int height, int levels) {
    Picture picture(width, height);
    for (std::size_t i = 0; i < picture.pixelCount(); ++i) {
        const auto grey = static_cast<std::uint8_t>((i * 7 % static_cast<std::size_t>(levels)) * 255 / (levels - 1));
        picture.rgba[i * 4] = picture.rgba[i * 4 + 1] = picture.rgba[i * 4 + 2] = grey;
        picture.rgba[i * 4 + 3] = 255;
    }
    return picture;
}

// ImageMagick's own encoding of the picture in `coder`, after `prepare`.
template <typename Prepare>
Bytes magickWrite(const Picture& picture, const char* coder, bool keepAlpha, Prepare prepare) {
    ensureMagickReady();
    WandPtr wand = wandFromPicture(picture, keepAlpha);
    prepare(wand.get());
    MagickSetImageFormat(wand.get(), coder);
    MagickSetFormat(wand.get(), coder);
    std::size_t length = 0;
    MagickBlobPtr blob(MagickGetImageBlob(wand.get(), &length));
    return Bytes(blob.get(), blob.get() + length);
}

Bytes magickWrite(const Picture& picture, const char* coder) {
    return magickWrite(picture, coder, false, [](MagickWand*) {});
}

void expectSamePicture(const Picture& ours, const Picture& reference) {
    EXPECT_EQ(ours.width, reference.width);
    EXPECT_EQ(ours.height, reference.height);
    EXPECT_TRUE(ours.rgba == reference.rgba);
    EXPECT_EQ(ours.palette, reference.palette);
    EXPECT_EQ(ours.matte, reference.matte);
}

TEST(UncompressedFormats, BmpWrittenAsImageMagickWritesItAndReadAsItReadsIt) {
    // Widths whose rows need 0 to 3 bytes of padding.
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 2}, {13, 7}, {64, 5}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const Picture picture = opaquePicture(w, h, w * 31 + h);
        const Bytes reference = magickWrite(picture, "BMP3", false, [](MagickWand* wand) {
            MagickSetType(wand, TrueColorType);
            MagickSetImageType(wand, TrueColorType);
        });
        EXPECT_TRUE(writeUncompressedBmp(picture) == reference);
        const std::optional<Picture> read = readUncompressedBmp(reference);
        ASSERT_TRUE(read);
        expectSamePicture(*read, decodeFirstFrame(reference, "reference.bmp"));
        expectSamePicture(*read, picture);

        // The same rows stored top-down, as a negative height says.
        Bytes topDown = reference;
        const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
        for (int y = 0; y < h; ++y)
            std::copy_n(reference.begin() + 54 + static_cast<std::ptrdiff_t>(stride * (h - 1 - y)), stride,
                        topDown.begin() + 54 + static_cast<std::ptrdiff_t>(stride * y));
        const std::int32_t negative = -h;
        std::memcpy(&topDown[22], &negative, 4);
        const std::optional<Picture> flipped = readUncompressedBmp(topDown);
        ASSERT_TRUE(flipped);
        expectSamePicture(*flipped, picture);
    }
    // Alpha, a colour table, a cut file: ImageMagick's to read.
    Picture clear = opaquePicture(5, 4, 1);
    clear.rgba[3] = 0;
    EXPECT_FALSE(readUncompressedBmp(magickWrite(clear, "BMP", true, [](MagickWand*) {})));
    EXPECT_FALSE(readUncompressedBmp(magickWrite(greyPicture(9, 9, 4), "BMP3", false, [](MagickWand* wand) {
        MagickSetImageType(wand, PaletteType);
    })));
    Bytes cut = writeUncompressedBmp(opaquePicture(8, 8, 2));
    cut.pop_back();
    EXPECT_FALSE(readUncompressedBmp(cut));
}

TEST(UncompressedFormats, MiffWrittenAsImageMagickWritesItAndReadAsItReadsIt) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {13, 7}, {192, 192}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const Picture picture = opaquePicture(w, h, w + h);
        const Bytes reference = magickWrite(picture, "MIFF");
        EXPECT_TRUE(writePlainMiff(picture) == reference);
        const std::optional<Picture> read = readPlainMiff(reference);
        ASSERT_TRUE(read);
        expectSamePicture(*read, decodeFirstFrame(reference, "reference.mif"));
        expectSamePicture(*read, picture);
    }
    // Colour tables, grey (as the mask template is) and in colour.
    const auto asPalette = [](MagickWand* wand) {
        MagickSetType(wand, PaletteType);
        MagickSetImageType(wand, PaletteType);
    };
    for (const Picture& picture : {greyPicture(40, 30, 17), greyPicture(7, 3, 2), opaquePicture(6, 6, 9)}) {
        const Bytes reference = magickWrite(picture, "MIFF", false, asPalette);
        const std::optional<Picture> read = readPlainMiff(reference);
        ASSERT_TRUE(read);
        EXPECT_TRUE(read->palette);
        expectSamePicture(*read, decodeFirstFrame(reference, "palette.mif"));
    }
    // Alpha, 16 bits a sample, compression, a cut file: ImageMagick's to read.
    Picture clear = opaquePicture(5, 4, 3);
    clear.rgba[7] = 10;
    clear.matte = true;
    EXPECT_FALSE(readPlainMiff(magickWrite(clear, "MIFF", true, [](MagickWand*) {})));
    EXPECT_FALSE(readPlainMiff(magickWrite(opaquePicture(5, 4, 4), "MIFF", false, [](MagickWand* wand) {
        MagickSetImageDepth(wand, 16);
    })));
    EXPECT_FALSE(readPlainMiff(magickWrite(opaquePicture(5, 4, 5), "MIFF", false, [](MagickWand* wand) {
        MagickSetCompression(wand, RLECompression);
        MagickSetImageCompression(wand, RLECompression);
    })));
    Bytes cut = writePlainMiff(opaquePicture(8, 8, 6));
    cut.pop_back();
    EXPECT_FALSE(readPlainMiff(cut));
}

}  // namespace
}  // namespace pivra::imagelib
