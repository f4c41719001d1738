// The BMP and MIFF forms read and written without ImageMagick, against ImageMagick itself: the same bytes
// written, the same pixels and flags read, and every other form of these formats left to it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "MagickHandles.h"
#include "MagickSession.h"
#include "PictureDecoder.h"
#include "PictureWand.h"
#include "UncompressedFormats.h"

namespace pivra::imagelib {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Opaque noise, or (levels > 0) opaque greys of that many levels.
Picture samplePicture(int width, int height, int seed, int levels = 0) {
    Picture picture(width, height);
    std::uint32_t state = std::uint32_t(seed) * 2654435761u + 1;
    for (std::size_t i = 0; i < picture.rgba.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const auto grey = std::uint8_t(levels ? (i / 4 * 7 % std::size_t(levels)) * 255 / (levels - 1) : 0);
        picture.rgba[i] = i % 4 == 3 ? 255 : levels ? grey : std::uint8_t(state >> 24);
    }
    return picture;
}

// ImageMagick's own encoding of the picture in `coder`, after `prepare`.
Bytes magickWrite(const Picture& picture, const char* coder, const std::function<void(MagickWand*)>& prepare = {},
                  bool keepAlpha = false) {
    ensureMagickReady();
    WandPtr wand = wandFromPicture(picture, keepAlpha);
    if (prepare) prepare(wand.get());
    MagickSetImageFormat(wand.get(), coder);
    MagickSetFormat(wand.get(), coder);
    std::size_t length = 0;
    MagickBlobPtr blob(MagickGetImageBlob(wand.get(), &length));
    return Bytes(blob.get(), blob.get() + length);
}

void expectSamePicture(const std::optional<Picture>& ours, const Picture& reference) {
    ASSERT_TRUE(ours);
    EXPECT_EQ(std::tie(ours->width, ours->height, ours->palette, ours->matte),
              std::tie(reference.width, reference.height, reference.palette, reference.matte));
    EXPECT_TRUE(ours->rgba == reference.rgba);
}

const auto kPalette = [](MagickWand* wand) { MagickSetType(wand, PaletteType), MagickSetImageType(wand, PaletteType); };

TEST(UncompressedFormats, BmpWrittenAsImageMagickWritesItAndReadAsItReadsIt) {
    // Widths whose rows need 0 to 3 bytes of padding.
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 2}, {64, 5}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const Picture picture = samplePicture(w, h, w * 31 + h);
        const Bytes reference = magickWrite(picture, "BMP3", [](MagickWand* wand) {
            MagickSetType(wand, TrueColorType), MagickSetImageType(wand, TrueColorType);
        });
        EXPECT_TRUE(writeUncompressedBmp(picture) == reference);
        expectSamePicture(readUncompressedBmp(reference), decodeFirstFrame(reference, "reference.bmp"));
        expectSamePicture(readUncompressedBmp(reference), picture);

        // The same rows stored top-down, as a negative height says.
        Bytes topDown = reference;
        const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t{3};
        for (int y = 0; y < h; ++y)
            std::copy_n(reference.begin() + 54 + std::ptrdiff_t(stride * (h - 1 - y)), stride,
                        topDown.begin() + 54 + std::ptrdiff_t(stride * y));
        const std::int32_t negative = -h;
        std::memcpy(&topDown[22], &negative, 4);
        expectSamePicture(readUncompressedBmp(topDown), picture);
    }
    // Alpha, a colour table, a cut file: ImageMagick's to read.
    Picture clear = samplePicture(5, 4, 1);
    clear.rgba[3] = 0;
    EXPECT_FALSE(readUncompressedBmp(magickWrite(clear, "BMP", {}, true)));
    EXPECT_FALSE(readUncompressedBmp(magickWrite(samplePicture(9, 9, 0, 4), "BMP3", kPalette)));
    Bytes cut = writeUncompressedBmp(samplePicture(8, 8, 2));
    cut.pop_back();
    EXPECT_FALSE(readUncompressedBmp(cut));
}

TEST(UncompressedFormats, MiffWrittenAsImageMagickWritesItAndReadAsItReadsIt) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {13, 7}, {192, 192}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const Picture picture = samplePicture(w, h, w + h);
        const Bytes reference = magickWrite(picture, "MIFF");
        EXPECT_TRUE(writePlainMiff(picture) == reference);
        expectSamePicture(readPlainMiff(reference), decodeFirstFrame(reference, "reference.mif"));
        expectSamePicture(readPlainMiff(reference), picture);
    }
    // Colour tables, grey (as the mask template is) and in colour.
    for (const Picture& picture : {samplePicture(40, 30, 0, 17), samplePicture(7, 3, 0, 2), samplePicture(6, 6, 9)}) {
        const Bytes reference = magickWrite(picture, "MIFF", kPalette);
        const Picture theirs = decodeFirstFrame(reference, "palette.mif");
        EXPECT_TRUE(theirs.palette);
        expectSamePicture(readPlainMiff(reference), theirs);
    }
    // Alpha, 16 bits a sample, compression, a cut file: ImageMagick's to read.
    Picture clear = samplePicture(5, 4, 3);
    clear.rgba[7] = 10;
    clear.matte = true;
    EXPECT_FALSE(readPlainMiff(magickWrite(clear, "MIFF", {}, true)));
    EXPECT_FALSE(readPlainMiff(magickWrite(samplePicture(5, 4, 4), "MIFF", [](MagickWand* w) { MagickSetImageDepth(w, 16); })));
    EXPECT_FALSE(readPlainMiff(magickWrite(samplePicture(5, 4, 5), "MIFF", [](MagickWand* wand) {
        MagickSetCompression(wand, RLECompression), MagickSetImageCompression(wand, RLECompression);
    })));
    Bytes cut = writePlainMiff(samplePicture(8, 8, 6));
    cut.pop_back();
    EXPECT_FALSE(readPlainMiff(cut));
}

}  // namespace
}  // namespace pivra::imagelib
