// Loading BMP files of every depth and compression into 24-bit surfaces, and
// the failures: missing file, not a BMP, damaged BMP.
#include <gtest/gtest.h>

#include <QImage>

#include "BmpBytes.h"
#include "SurfacePixels.h"
#include "SurfaceTempDir.h"
#include "support/RecordingNotifier.h"
#include "surface/DibSection.h"

namespace pivra {
namespace {

using test::BmpLayout;
using test::PixelAt;
using test::Rgb;

class BmpLoad : public ::testing::Test {
protected:
    // Loads the layout written to a file; expects success and no message.
    void LoadOk(const BmpLayout& layout, std::int32_t width, std::int32_t height) {
        const std::string path = dir.file("picture.bmp");
        test::WriteFile(path, test::BmpFileBytes(layout));
        ASSERT_TRUE(dib.Load(path));
        EXPECT_TRUE(notifier.shown.empty());
        ASSERT_EQ(dib.dib_width(), width);
        ASSERT_EQ(dib.dib_height(), height);
        EXPECT_EQ(dib.dib_channels(), 3);
        EXPECT_EQ(dib.header().biCompression, 0u);
        EXPECT_EQ(dib.header().biClrUsed, 0u);
        EXPECT_EQ(dib.header().biSize, 40u);
        EXPECT_EQ(dib.hDC()->selected(), dib.hDib());
    }

    void ExpectLoadFails(const std::string& path) {
        ASSERT_TRUE(dib.Create(4, 4, 3));  // whatever was there goes
        EXPECT_FALSE(dib.Load(path));
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_EQ(notifier.shown[0].prompt, "Can't load BMP image");
        EXPECT_EQ(notifier.shown[0].style, 0);
        EXPECT_EQ(notifier.shown[0].title, "PIVRA");
        EXPECT_EQ(dib.hDC(), nullptr);
        EXPECT_EQ(dib.hDib(), nullptr);
        EXPECT_EQ(dib.dib_width(), 0);
        EXPECT_EQ(dib.dib_channels(), 0);
    }

    test::TempDir dir;
    test::RecordingNotifier notifier;
    CDIBSection dib;
};

TEST_F(BmpLoad, EightBitPaletteColoursAreWrittenOut) {
    BmpLayout l;
    l.width = 3, l.height = 2, l.bitCount = 8;
    l.palette = {0x102030, 0xff0000, 0x00ff00, 0x0000ff};
    l.pixels = {0, 3, 1, 0,   // bottom row, padded to 4 bytes
                1, 2, 3, 0};  // top row
    LoadOk(l, 3, 2);
    EXPECT_EQ(dib.BytesPerScanLine(), 12);
    EXPECT_EQ(PixelAt(dib, 0, 0), Rgb(0xff0000));
    EXPECT_EQ(PixelAt(dib, 1, 0), Rgb(0x00ff00));
    EXPECT_EQ(PixelAt(dib, 2, 0), Rgb(0x0000ff));
    EXPECT_EQ(PixelAt(dib, 0, 1), Rgb(0x102030));
    EXPECT_EQ(PixelAt(dib, 1, 1), Rgb(0x0000ff));
    // Stored bytes of the top row: blue, green, red per pixel, then 3 filler bytes.
    const std::uint8_t* top = dib.DIBSectionBitsPtr() + 12;
    const std::uint8_t expected[12] = {0, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(top, top + 12), std::vector<std::uint8_t>(expected, expected + 12));
    EXPECT_EQ(dib.header().biXPelsPerMeter, 2835);
}

TEST_F(BmpLoad, OneAndFourBitPalettes) {
    BmpLayout one;
    one.width = 10, one.height = 2, one.bitCount = 1;
    one.palette = {0x000000, 0xffff00};
    one.pixels = {0x55, 0x40, 0, 0,   // bottom: 0101010101
                  0xaa, 0x80, 0, 0};  // top:    1010101010
    LoadOk(one, 10, 2);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(PixelAt(dib, x, 0), Rgb(x % 2 == 0 ? 0xffff00 : 0)) << x;
        EXPECT_EQ(PixelAt(dib, x, 1), Rgb(x % 2 == 1 ? 0xffff00 : 0)) << x;
    }

    BmpLayout four;
    four.width = 3, four.height = 1, four.bitCount = 4;
    four.palette = {0x000000, 0x112233, 0x445566, 0x778899};
    four.pixels = {0x12, 0x30, 0, 0};
    LoadOk(four, 3, 1);
    EXPECT_EQ(PixelAt(dib, 0, 0), Rgb(0x112233));
    EXPECT_EQ(PixelAt(dib, 1, 0), Rgb(0x445566));
    EXPECT_EQ(PixelAt(dib, 2, 0), Rgb(0x778899));
}

TEST_F(BmpLoad, RunLengthEncodedEightAndFourBit) {
    BmpLayout rle8;
    rle8.width = 4, rle8.height = 2, rle8.bitCount = 8, rle8.compression = 1;
    rle8.palette = {0x000000, 0xff0000, 0x00ff00, 0x0000ff};
    rle8.pixels = {4, 1, 0, 0,              // bottom row: four of colour 1, end of line
                   0, 4, 2, 3, 2, 3, 0, 1};  // top row: four literal pixels, end of bitmap
    LoadOk(rle8, 4, 2);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(PixelAt(dib, x, 1), Rgb(0xff0000)) << x;
        EXPECT_EQ(PixelAt(dib, x, 0), Rgb(x % 2 == 0 ? 0x00ff00 : 0x0000ff)) << x;
    }

    BmpLayout rle4;
    rle4.width = 5, rle4.height = 1, rle4.bitCount = 4, rle4.compression = 2;
    rle4.palette = {0x000000, 0x808080, 0xff00ff};
    rle4.pixels = {5, 0x12, 0, 1};  // five pixels alternating 1, 2
    LoadOk(rle4, 5, 1);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(dib, x, 0), Rgb(x % 2 == 0 ? 0x808080 : 0xff00ff)) << x;
}

// Qt widens 16-bit channels by shifting (a full 5-bit channel gives 31 x 8 =
// 248, a full 6-bit one 63 x 4 = 252) rather than by scaling to 255.
TEST_F(BmpLoad, SixteenBitPlainAndBitFields) {
    BmpLayout plain;  // 5-5-5
    plain.width = 3, plain.height = 1, plain.bitCount = 16;
    plain.pixels = {0x00, 0x7c, 0xe0, 0x03, 0xff, 0x7f, 0, 0};  // red, green, white
    LoadOk(plain, 3, 1);
    EXPECT_EQ(PixelAt(dib, 0, 0), Rgb(0xf80000));
    EXPECT_EQ(PixelAt(dib, 1, 0), Rgb(0x00f800));
    EXPECT_EQ(PixelAt(dib, 2, 0), Rgb(0xf8f8f8));

    BmpLayout fields;  // 5-6-5
    fields.width = 2, fields.height = 1, fields.bitCount = 16, fields.compression = 3;
    fields.masks = {0xf800, 0x07e0, 0x001f};
    fields.pixels = {0x1f, 0x00, 0xe0, 0x07};  // blue, green
    LoadOk(fields, 2, 1);
    EXPECT_EQ(PixelAt(dib, 0, 0), Rgb(0x0000f8));
    EXPECT_EQ(PixelAt(dib, 1, 0), Rgb(0x00fc00));
}

TEST_F(BmpLoad, TwentyFourAndThirtyTwoBitBottomUpAndTopDown) {
    const std::vector<std::uint32_t> picture = {0x010203, 0x040506, 0x070809,
                                                0xa0b0c0, 0xd0e0f0, 0xffffff};
    BmpLayout bottomUp;
    bottomUp.width = 3, bottomUp.height = 2;
    bottomUp.pixels = test::Rows24(3, picture);
    LoadOk(bottomUp, 3, 2);
    const std::vector<std::uint8_t> fromBottomUp(dib.DIBSectionBitsPtr(), dib.DIBSectionBitsPtr() + 24);
    EXPECT_EQ(PixelAt(dib, 0, 0), Rgb(0x010203));
    EXPECT_EQ(PixelAt(dib, 2, 1), Rgb(0xffffff));

    BmpLayout topDown = bottomUp;
    topDown.height = -2;
    topDown.pixels = test::Rows24(3, picture, false);
    LoadOk(topDown, 3, 2);  // upright, and the surface itself is bottom-up as always
    EXPECT_EQ(std::vector<std::uint8_t>(dib.DIBSectionBitsPtr(), dib.DIBSectionBitsPtr() + 24), fromBottomUp);

    BmpLayout thirtyTwo;
    thirtyTwo.width = 2, thirtyTwo.height = 1, thirtyTwo.bitCount = 32;
    thirtyTwo.pixels = {0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x00};
    LoadOk(thirtyTwo, 2, 1);
    EXPECT_EQ(PixelAt(dib, 0, 0), Rgb(0x332211));
    EXPECT_EQ(PixelAt(dib, 1, 0), Rgb(0x665544));
    EXPECT_EQ(dib.BytesPerScanLine(), 8);
}

TEST_F(BmpLoad, MissingFileShowsTheMessageAndLeavesTheSurfaceEmpty) {
    ExpectLoadFails(dir.file("no-such.bmp"));
}

TEST_F(BmpLoad, OtherFilesAreNotBitmaps) {
    const std::string text = dir.file("text.bmp");
    test::WriteFile(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    ExpectLoadFails(text);
}

TEST_F(BmpLoad, APngNamedBmpIsNotABitmap) {
    const std::string png = dir.file("png.bmp");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(png), "PNG"));
    ExpectLoadFails(png);
}

TEST_F(BmpLoad, EmptyAndDamagedFilesFail) {
    const std::string empty = dir.file("empty.bmp");
    test::WriteFile(empty, {});
    ExpectLoadFails(empty);
    notifier.shown.clear();

    BmpLayout l;
    l.width = 3, l.height = 2;
    l.pixels = test::Rows24(3, {1, 2, 3, 4, 5, 6});
    std::vector<std::uint8_t> bytes = test::BmpFileBytes(l);
    bytes.resize(30);  // cut inside the info header
    const std::string cut = dir.file("cut.bmp");
    test::WriteFile(cut, bytes);
    ExpectLoadFails(cut);
    notifier.shown.clear();

    BmpLayout huge;
    huge.width = 100000, huge.height = 100000, huge.bitCount = 24;
    huge.pixels = {0, 0, 0, 0};
    const std::string big = dir.file("huge.bmp");
    test::WriteFile(big, test::BmpFileBytes(huge));
    ExpectLoadFails(big);
}

}  // namespace
}  // namespace pivra
