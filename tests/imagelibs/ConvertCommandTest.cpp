// libMorphex through its C entry point: sizes, colours, formats, frames.
#include <gtest/gtest.h>

#include "ImageLibraries.h"
#include "TestPictures.h"

namespace pivra::test {
namespace {

class ConvertCommand : public ::testing::Test {
protected:
    TestFolder folder;

    // Runs the command and expects success with an empty LastError.
    void convert(const std::vector<std::string>& args) {
        ASSERT_EQ(morphex().run(args), 0) << morphex().lastError();
        EXPECT_EQ(morphex().lastError(), "");
    }
};

// Left half red, right half blue.
QImage halves(int width, int height) {
    QImage image = solidImage(width, height, Qt::red);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
    return image;
}

TEST_F(ConvertCommand, GeometryGivesExactSizesWithoutKeepingAspect) {
    const std::string src = folder.path("src.png");
    savePicture(halves(100, 80), src, "PNG");
    struct Case { const char* geometry; int w, h; } cases[] = {
        {"37X192!", 37, 192}, {"37x192!", 37, 192}, {"192x37!", 192, 37}, {"1x1!", 1, 1}, {"100x80!", 100, 80}};
    for (const Case& c : cases) {
        const std::string out = folder.path(std::string("out") + c.geometry + ".png");
        convert({src, "-geometry", c.geometry, out});
        QImage result = readPicture(out);
        ASSERT_FALSE(result.isNull()) << c.geometry;
        EXPECT_EQ(result.width(), c.w) << c.geometry;
        EXPECT_EQ(result.height(), c.h) << c.geometry;
    }
    // The squeezed picture is still red on the left, blue on the right.
    QImage squeezed = readPicture(folder.path("out37X192!.png"));
    EXPECT_EQ(squeezed.pixel(2, 100), qRgb(255, 0, 0));
    EXPECT_EQ(squeezed.pixel(34, 100), qRgb(0, 0, 255));
    // Same size is a plain copy.
    EXPECT_EQ(maxChannelDifference(readPicture(folder.path("out100x80!.png")), halves(100, 80)), 0);
}

TEST_F(ConvertCommand, GeometryWithoutBangKeepsAspectInsideTheBox) {
    const std::string src = folder.path("wide.png");
    savePicture(solidImage(200, 100, Qt::green), src, "PNG");
    convert({src, "-geometry", "50x50", folder.path("fit.png")});
    QImage result = readPicture(folder.path("fit.png"));
    EXPECT_EQ(result.size(), QSize(50, 25));
}

TEST_F(ConvertCommand, ResizeOfAGifFaceKeepsItsColours) {
    const std::string src = folder.path("face.gif");
    saveGif({halves(64, 64)}, src);
    convert({src, "-geometry", "16X64!", folder.path("strip.gif")});
    QImage result = readPicture(folder.path("strip.gif"));
    ASSERT_EQ(result.size(), QSize(16, 64));
    EXPECT_EQ(result.pixel(0, 10), qRgb(255, 0, 0));
    EXPECT_EQ(result.pixel(15, 10), qRgb(0, 0, 255));
}

TEST_F(ConvertCommand, InterlacedGifInputKeepsItsRowOrder) {
    QImage rows(5, 19, QImage::Format_ARGB32);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 5; ++x) rows.setPixel(x, y, qRgb(y * 13, 255 - y * 13, x * 50));
    saveGif({rows}, folder.path("interlaced.gif"), true);
    convert({folder.path("interlaced.gif"), folder.path("out.png")});
    EXPECT_EQ(maxChannelDifference(readPicture(folder.path("out.png")), rows), 0);
}

TEST_F(ConvertCommand, NegateInvertsColoursAndKeepsAlpha) {
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 20, 30, 255));
    image.setPixel(1, 0, qRgba(200, 100, 50, 128));
    image.setPixel(2, 0, qRgba(0, 0, 0, 0));
    savePicture(image, folder.path("in.png"), "PNG");
    convert({folder.path("in.png"), "-negate", folder.path("out.png")});
    QImage result = readPicture(folder.path("out.png"));
    EXPECT_EQ(result.pixel(0, 0), qRgba(245, 235, 225, 255));
    EXPECT_EQ(result.pixel(1, 0), qRgba(55, 155, 205, 128));
    EXPECT_EQ(qAlpha(result.pixel(2, 0)), 0);
}

TEST_F(ConvertCommand, ResizeThenNegateOfTheMaskTemplate) {
    // The mask template: a white square on black, stored as MIFF.
    QImage mask = solidImage(24, 24, Qt::black);
    for (int y = 6; y < 18; ++y)
        for (int x = 6; x < 18; ++x) mask.setPixel(x, y, qRgb(255, 255, 255));
    savePicture(mask, folder.path("mask.png"), "PNG");
    convert({folder.path("mask.png"), folder.path("mask.mif")});
    convert({folder.path("mask.mif"), "-geometry", "12X24!", "-negate", folder.path("temp1.gif")});
    QImage result = readPicture(folder.path("temp1.gif"));
    ASSERT_EQ(result.size(), QSize(12, 24));
    EXPECT_LE(maxChannelDifference(result.copy(0, 0, 1, 1), solidImage(1, 1, Qt::white)), 2);  // was black
    EXPECT_LE(maxChannelDifference(result.copy(6, 12, 1, 1), solidImage(1, 1, Qt::black)), 2);  // was white
}

TEST_F(ConvertCommand, TransparentWhiteTakesOnlyExactWhite) {
    QImage image(5, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    image.setPixel(1, 0, qRgb(254, 255, 255));
    image.setPixel(2, 0, qRgb(255, 255, 254));
    image.setPixel(3, 0, qRgb(0, 0, 0));
    image.setPixel(4, 0, qRgb(255, 255, 255));
    savePicture(image, folder.path("in.png"), "PNG");
    for (const char* ext : {".png", ".gif"}) {
        const std::string out = folder.path(std::string("out") + ext);
        convert({folder.path("in.png"), "-transparent", "white", out});
        QImage result = readPicture(out);
        EXPECT_EQ(qAlpha(result.pixel(0, 0)), 0) << ext;
        EXPECT_EQ(result.pixel(1, 0), qRgb(254, 255, 255)) << ext;
        EXPECT_EQ(result.pixel(2, 0), qRgb(255, 255, 254)) << ext;
        EXPECT_EQ(result.pixel(3, 0), qRgb(0, 0, 0)) << ext;
        EXPECT_EQ(qAlpha(result.pixel(4, 0)), 0) << ext;
    }
    // Other colour spellings.
    convert({folder.path("in.png"), "-transparent", "black", folder.path("black.png")});
    EXPECT_EQ(qAlpha(readPicture(folder.path("black.png")).pixel(3, 0)), 0);
    EXPECT_EQ(qAlpha(readPicture(folder.path("black.png")).pixel(0, 0)), 255);
    convert({folder.path("in.png"), "-transparent", "#FEFFFF", folder.path("hex.png")});
    EXPECT_EQ(qAlpha(readPicture(folder.path("hex.png")).pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(readPicture(folder.path("hex.png")).pixel(0, 0)), 255);
}

TEST_F(ConvertCommand, MiffRoundTripKeepsEveryPixel) {
    QImage image(16, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgba(x * 16, y * 32, 255 - x * 8, x < 8 ? 255 : 40 + y));
    savePicture(image, folder.path("in.png"), "PNG");
    convert({folder.path("in.png"), folder.path("a.mif")});
    EXPECT_EQ(maxChannelDifference(readMiff(folder.path("a.mif")), image), 0);
    convert({folder.path("a.mif"), folder.path("b.mif")});
    convert({folder.path("b.mif"), folder.path("back.png")});
    EXPECT_EQ(maxChannelDifference(readPicture(folder.path("back.png")), image), 0);
}

TEST_F(ConvertCommand, AnimatedInputGivesItsFirstFrameOnly) {
    saveGif({solidImage(8, 8, Qt::red), solidImage(8, 8, Qt::blue)}, folder.path("anim.gif"));
    convert({folder.path("anim.gif"), folder.path("first.png")});
    convert({folder.path("anim.gif"), folder.path("first.gif")});
    EXPECT_EQ(readPicture(folder.path("first.png")).pixel(4, 4), qRgb(255, 0, 0));
    GifFrames frames = readGifFrames(folder.path("first.gif"));
    ASSERT_EQ(frames.images.size(), 1u);
    EXPECT_EQ(frames.images[0].pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"anim.gif", "first.gif", "first.png"}));
}

TEST_F(ConvertCommand, NoOptionsConvertsToTheFormatOfTheExtension) {
    QImage image = halves(20, 10);
    image.setPixel(0, 0, qRgb(0, 255, 0));
    savePicture(image, folder.path("src.png"), "PNG");
    savePicture(image, folder.path("src.bmp"), "BMP");
    savePicture(image, folder.path("src.jpg"), "JPG");
    saveGif({image}, folder.path("src.gif"));

    for (const char* input : {"src.png", "src.bmp", "src.gif"}) {
        for (const char* out : {"o.png", "o.gif", "o.bmp", "o.PNG", "o.Gif"}) {
            convert({folder.path(input), folder.path(out)});
            EXPECT_EQ(maxChannelDifference(readPicture(folder.path(out)), image), 0) << input << " -> " << out;
        }
        for (const char* out : {"o.jpg", "o.jpeg", "o.JPG"}) {
            convert({folder.path(input), folder.path(out)});
            QImage result = readPicture(folder.path(out));
            ASSERT_EQ(result.size(), image.size()) << out;
            EXPECT_NEAR(qRed(result.pixel(2, 5)), 255, 12) << out;
            EXPECT_NEAR(qBlue(result.pixel(17, 5)), 255, 12) << out;
        }
        convert({folder.path(input), folder.path("o.mif")});
        EXPECT_EQ(maxChannelDifference(readMiff(folder.path("o.mif")), image), 0) << input;
    }
    // A JPEG input decodes close to what was saved.
    convert({folder.path("src.jpg"), folder.path("fromjpg.png")});
    EXPECT_LE(maxChannelDifference(readPicture(folder.path("fromjpg.png")), readPicture(folder.path("src.jpg"))), 1);

    // An opaque BMP is the plain 24-bit kind: 40-byte header, 24 bits a pixel.
    const std::vector<std::uint8_t> bmp = readBytes(folder.path("o.bmp"));
    ASSERT_GT(bmp.size(), 30u);
    EXPECT_EQ(bmp[14], 40);
    EXPECT_EQ(bmp[28], 24);
    // Even a black-and-white one.
    savePicture(solidImage(4, 4, Qt::black), folder.path("bw.png"), "PNG");
    convert({folder.path("bw.png"), folder.path("bw.bmp")});
    EXPECT_EQ(readBytes(folder.path("bw.bmp"))[28], 24);
}

TEST_F(ConvertCommand, TransparencyReachesPngGifAndBecomesWhiteInJpeg) {
    QImage image = solidImage(32, 32, Qt::blue);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    savePicture(image, folder.path("in.png"), "PNG");
    convert({folder.path("in.png"), folder.path("o.gif")});
    convert({folder.path("in.png"), folder.path("o.jpg")});
    EXPECT_EQ(qAlpha(readPicture(folder.path("o.gif")).pixel(1, 1)), 0);
    EXPECT_EQ(readPicture(folder.path("o.gif")).pixel(20, 20), qRgb(0, 0, 255));
    QRgb jpegPixel = readPicture(folder.path("o.jpg")).pixel(4, 4);
    EXPECT_GE(qRed(jpegPixel), 240);
    EXPECT_GE(qGreen(jpegPixel), 240);
}

}  // namespace
}  // namespace pivra::test
