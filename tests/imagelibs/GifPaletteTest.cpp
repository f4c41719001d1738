// The GIF writer's palettes: exact when they fit, close when they do not.
#include <gtest/gtest.h>

#include <cmath>

#include "ImageLibraries.h"
#include "TestPictures.h"

namespace pivra::test {
namespace {

TEST(GifPalette, UpTo256ColoursRoundTripBitExact) {
    TestFolder folder;
    // 255 distinct colours plus transparent pixels: exactly 256 entries.
    QImage image(16, 17, QImage::Format_ARGB32);
    for (int i = 0; i < 16 * 17; ++i) {
        const int c = i % 255;
        image.setPixel(i % 16, i / 16, qRgb(c, (c * 7) % 256, 255 - c));
    }
    for (int x = 0; x < 16; ++x) image.setPixel(x, 16, qRgba(x, 0, 0, x < 8 ? 0 : 100));
    savePicture(image, folder.path("in.png"), "PNG");
    ASSERT_EQ(morphex().run({folder.path("in.png"), folder.path("out.gif")}), 0) << morphex().lastError();
    QImage result = readPicture(folder.path("out.gif"));
    ASSERT_EQ(result.size(), image.size());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(result.pixel(x, y), image.pixel(x, y)) << x << "," << y;
    for (int x = 0; x < 16; ++x) EXPECT_EQ(qAlpha(result.pixel(x, 16)), 0) << x;  // alpha below half
    EXPECT_EQ(readGifStructure(folder.path("out.gif")).localColorCount[0], 256);

    // 256 opaque colours also fit without loss.
    QImage full(16, 16, QImage::Format_ARGB32);
    for (int i = 0; i < 256; ++i) full.setPixel(i % 16, i / 16, qRgb(i, 255 - i, (i * 5) % 256));
    savePicture(full, folder.path("full.png"), "PNG");
    ASSERT_EQ(morphex().run({folder.path("full.png"), folder.path("full.gif")}), 0);
    EXPECT_EQ(maxChannelDifference(readPicture(folder.path("full.gif")), full), 0);
}

TEST(GifPalette, ManyColoursAreQuantizedClosely) {
    TestFolder folder;
    // A smooth photo-like picture with thousands of colours.
    const int w = 160, h = 120;
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / (w - 1), y * 255 / (h - 1),
                                      static_cast<int>(127.5 + 127.5 * std::sin((x + y) / 20.0))));
    savePicture(image, folder.path("photo.png"), "PNG");
    ASSERT_EQ(morphex().run({folder.path("photo.png"), folder.path("photo.gif")}), 0) << morphex().lastError();
    QImage result = readPicture(folder.path("photo.gif"));
    ASSERT_EQ(result.size(), image.size());
    double total = 0;
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb a = image.pixel(x, y), b = result.pixel(x, y);
            for (int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                total += std::abs(d);
                worst = std::max(worst, std::abs(d));
            }
            ASSERT_EQ(qAlpha(b), 255);
        }
    EXPECT_LT(total / (w * h * 3), 7.0);  // 256 colours for a 3-D spread of 19200
    EXPECT_LE(worst, 40);
}

TEST(GifPalette, TransparencyWithManyColoursKeepsItsOwnEntry) {
    TestFolder folder;
    QImage image(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, (x - 32) * (x - 32) + (y - 32) * (y - 32) < 900 ? qRgb(x * 4, y * 4, 128) : qRgba(255, 255, 255, 0));
    savePicture(image, folder.path("in.png"), "PNG");
    ASSERT_EQ(morphex().run({folder.path("in.png"), folder.path("out.gif")}), 0);
    QImage result = readPicture(folder.path("out.gif"));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            QRgb a = image.pixel(x, y), b = result.pixel(x, y);
            ASSERT_EQ(qAlpha(b), qAlpha(a)) << x << "," << y;
            if (qAlpha(a)) {
                ASSERT_LE(std::abs(qRed(a) - qRed(b)), 24);
                ASSERT_LE(std::abs(qGreen(a) - qGreen(b)), 24);
            }
        }
}

}  // namespace
}  // namespace pivra::test
