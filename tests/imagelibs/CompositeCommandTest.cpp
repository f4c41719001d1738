// libLayerik through its C entry point: centring, over, and the mask.
#include <gtest/gtest.h>

#include "ImageLibraries.h"
#include "TestPictures.h"

namespace pivra::test {
namespace {

class CompositeCommand : public ::testing::Test {
protected:
    TestFolder folder;

    void composite(const std::vector<std::string>& args) {
        ASSERT_EQ(layerik().run(args), 0) << layerik().lastError();
        EXPECT_EQ(layerik().lastError(), "");
    }

    // The bounding box of the red pixels in the picture.
    static QRect redArea(const QImage& image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == qRgb(255, 0, 0)) box |= QRect(x, y, 1, 1);
        return box;
    }
};

TEST_F(CompositeCommand, GravityCenterPutsSrcInTheMiddleRoundingDown) {
    savePicture(solidImage(10, 8, Qt::white), folder.path("white.png"), "PNG");
    struct Case { int w, h; QPoint at; } cases[] = {
        {4, 4, {3, 2}},   // even differences: exact middle
        {3, 5, {3, 1}},   // odd differences: 3.5 -> 3, 1.5 -> 1
        {10, 8, {0, 0}},  // same size
        {1, 1, {4, 3}},
    };
    for (const Case& c : cases) {
        const std::string src = folder.path("src.gif");
        saveGif({solidImage(c.w, c.h, Qt::red)}, src);
        composite({src, "-gravity", "center", folder.path("white.png"), folder.path("out.gif")});
        QImage result = readPicture(folder.path("out.gif"));
        ASSERT_EQ(result.size(), QSize(10, 8));
        EXPECT_EQ(redArea(result), QRect(c.at, QSize(c.w, c.h))) << c.w << "x" << c.h;
        EXPECT_EQ(result.pixel(0, 0) == qRgb(255, 255, 255), c.at != QPoint(0, 0));
    }
}

TEST_F(CompositeCommand, SrcLargerThanBaseIsCroppedToBase) {
    savePicture(solidImage(4, 4, Qt::white), folder.path("base.png"), "PNG");
    QImage big = solidImage(7, 7, Qt::blue);
    big.setPixel(1, 1, qRgb(255, 0, 0));  // (7-4)/2 rounded down = -2: lands outside
    big.setPixel(2, 2, qRgb(255, 0, 0));  // lands on (0, 0)
    savePicture(big, folder.path("big.png"), "PNG");
    composite({folder.path("big.png"), "-gravity", "center", folder.path("base.png"), folder.path("out.png")});
    QImage result = readPicture(folder.path("out.png"));
    ASSERT_EQ(result.size(), QSize(4, 4));
    EXPECT_EQ(redArea(result), QRect(0, 0, 1, 1));
}

TEST_F(CompositeCommand, OverUsesSrcAlpha) {
    savePicture(solidImage(3, 1, Qt::white), folder.path("base.png"), "PNG");
    QImage src(3, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, qRgba(255, 0, 0, 255));
    src.setPixel(1, 0, qRgba(255, 0, 0, 0));
    src.setPixel(2, 0, qRgba(255, 0, 0, 102));  // 40 %
    savePicture(src, folder.path("src.png"), "PNG");
    composite({folder.path("src.png"), "-gravity", "Center", folder.path("base.png"), folder.path("out.png")});
    QImage result = readPicture(folder.path("out.png"));
    EXPECT_EQ(result.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(result.pixel(1, 0), qRgb(255, 255, 255));
    // 0.4 red + 0.6 white = (255, 153, 153)
    EXPECT_EQ(qRed(result.pixel(2, 0)), 255);
    EXPECT_NEAR(qGreen(result.pixel(2, 0)), 153, 1);
    EXPECT_NEAR(qBlue(result.pixel(2, 0)), 153, 1);
    EXPECT_EQ(qAlpha(result.pixel(2, 0)), 255);
}

TEST_F(CompositeCommand, MaskBlackShowsSrcWhiteOrTransparentShowsBase) {
    savePicture(solidImage(5, 1, QColor(0, 255, 0)), folder.path("src.png"), "PNG");
    savePicture(solidImage(5, 1, QColor(0, 0, 255)), folder.path("base.png"), "PNG");
    QImage mask(5, 1, QImage::Format_ARGB32);
    mask.setPixel(0, 0, qRgba(0, 0, 0, 255));        // black: src
    mask.setPixel(1, 0, qRgba(255, 255, 255, 255));  // white: base
    mask.setPixel(2, 0, qRgba(0, 0, 0, 0));          // transparent: base
    mask.setPixel(3, 0, qRgba(128, 128, 128, 255));  // grey: half and half
    mask.setPixel(4, 0, qRgba(0, 0, 0, 51));         // black at 20 %: a fifth of src
    savePicture(mask, folder.path("mask.png"), "PNG");
    composite({folder.path("src.png"), folder.path("base.png"), folder.path("mask.png"), folder.path("out.png")});
    QImage result = readPicture(folder.path("out.png"));
    ASSERT_EQ(result.size(), QSize(5, 1));
    EXPECT_EQ(result.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(result.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(result.pixel(2, 0), qRgb(0, 0, 255));
    // m = 1 - 128/255 = 0.498: green 127, blue 128
    EXPECT_NEAR(qGreen(result.pixel(3, 0)), 127, 1);
    EXPECT_NEAR(qBlue(result.pixel(3, 0)), 128, 1);
    EXPECT_NEAR(qGreen(result.pixel(4, 0)), 51, 1);
    EXPECT_NEAR(qBlue(result.pixel(4, 0)), 204, 1);
}

TEST_F(CompositeCommand, FaceThroughTheMaskStripIsTransparentOutside) {
    // As in a build: a face strip on opaque white, and one mask strip
    // (an opaque black disc, fully transparent elsewhere) as base and mask.
    const int size = 24;
    QImage face = solidImage(size, size, Qt::white);
    for (int y = 0; y < size; ++y)
        for (int x = 8; x < 16; ++x) face.setPixel(x, y, qRgb(200, 30, 40));
    QImage strip(size, size, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((x - 12) * (x - 12) * 9 + (y - 12) * (y - 12) < 9 * 16) strip.setPixel(x, y, qRgb(0, 0, 0));
    saveGif({face}, folder.path("00008A.gif"));
    saveGif({strip}, folder.path("00008M.gif"));
    composite({folder.path("00008A.gif"), folder.path("00008M.gif"), folder.path("00008M.gif"),
               folder.path("00013.gif")});
    QImage frame = readPicture(folder.path("00013.gif"));
    ASSERT_EQ(frame.size(), QSize(size, size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (qAlpha(strip.pixel(x, y)) == 255)
                ASSERT_EQ(frame.pixel(x, y), face.pixel(x, y)) << x << "," << y;
            else
                ASSERT_EQ(qAlpha(frame.pixel(x, y)), 0) << x << "," << y;
        }
}

TEST_F(CompositeCommand, SmallerSrcAndMaskUseTheTopLeftOverlap) {
    savePicture(solidImage(6, 6, Qt::blue), folder.path("base.png"), "PNG");
    savePicture(solidImage(4, 6, Qt::green), folder.path("src.png"), "PNG");
    savePicture(solidImage(6, 3, Qt::black), folder.path("mask.png"), "PNG");
    composite({folder.path("src.png"), folder.path("base.png"), folder.path("mask.png"), folder.path("out.png")});
    QImage result = readPicture(folder.path("out.png"));
    ASSERT_EQ(result.size(), QSize(6, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(result.pixel(x, y), (x < 4 && y < 3) ? qRgb(0, 255, 0) : qRgb(0, 0, 255)) << x << "," << y;
}

}  // namespace
}  // namespace pivra::test
