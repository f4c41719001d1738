// The streamed animation: frames that are plain GIFs are copied, anything
// else is decoded and encoded as a whole-picture conversion does it, and a
// frame that cannot be read stops the command with its name and no output.
// Frames are read back with giflib (structure) and Qt (pixels).
#include <QPainter>

#include "ImageLibsTest.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

// Many colours (more than a GIF table holds) with a transparent corner.
QImage colourful(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, x < 4 && y < 4 ? 0 : qRgb(x * 255 / w, y * 255 / h, (x * y) % 256));
    return image;
}

// Few colours, so a GIF holds them exactly; some pixels transparent.
QImage bands(int w, int h, QRgb a, QRgb b) {
    QImage image = filled(w, h, a);
    QPainter painter(&image);
    painter.fillRect(0, 0, w / 2, h, b);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(w - 3, 0, 3, h, Qt::transparent);
    return image;
}

class Animation : public ImageLibsTest {
protected:
    void SetUp() override { std::filesystem::create_directory(at("Images")); }

    // A frame GIF as the build makes it: written by the library itself.
    std::string frameFromLibrary(const QImage& image, const std::string& name) {
        const std::string png = save(image, name + ".png");
        const std::string gif = at("Images/" + name + ".gif");
        ok(morphex(), {png, gif});
        return gif;
    }

    int assemble() {
        return morphex().run({at("Images/*.gif"), "-compress", "LZW", "-delay", "6", "-dispose", "background", "-loop",
                              "0", at("anim.gif")});
    }
};

TEST_F(Animation, EveryKindOfFrameKeepsItsPixels) {
    const QImage first = bands(40, 30, qRgb(200, 0, 0), qRgb(0, 0, 200));
    frameFromLibrary(first, "00");
    // Written by ImageMagick: interlaced, and one with a global table and another code size.
    const QImage interlaced = bands(40, 30, qRgb(0, 150, 0), qRgb(250, 250, 0));
    std::filesystem::rename(save(interlaced, "01.gif", true), at("Images/01.gif"));
    // Not a GIF at all, in a .gif name: decoded like any input.
    const QImage png = bands(40, 30, qRgb(1, 2, 3), qRgb(4, 5, 6));
    std::filesystem::rename(save(png, "02.png"), at("Images/02.gif"));
    // More colours than a frame can hold: reduced exactly as a single conversion reduces them.
    const QImage many = colourful(40, 30);
    const std::string manyPng = save(many, "03.png");
    std::filesystem::copy_file(manyPng, at("Images/03.gif"));
    ok(morphex(), {manyPng, at("single.gif")});
    // Opaque, so last: a viewer lays the next frame over what an opaque frame leaves.
    const QImage plain = bands(40, 30, qRgb(10, 20, 30), qRgb(90, 80, 70)).convertToFormat(QImage::Format_RGB32);
    std::filesystem::rename(save(plain, "04.gif"), at("Images/04.gif"));

    ASSERT_EQ(assemble(), 0) << morphex().lastError();
    const GifInfo info = ReadGifStructure(at("anim.gif"));
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.screenWidth, 40);
    EXPECT_EQ(info.screenHeight, 30);
    EXPECT_EQ(info.loopCount, 0);
    ASSERT_EQ(info.frames.size(), 5u);
    for (const GifFrameInfo& f : info.frames) {
        EXPECT_EQ(f.delayCs, 6);
        EXPECT_EQ(f.disposal, 2);
        EXPECT_EQ(f.left, 0);
        EXPECT_EQ(f.top, 0);
    }
    EXPECT_GE(info.frames[0].transparentIndex, 0);
    EXPECT_LT(info.frames[4].transparentIndex, 0);  // an opaque frame stays opaque

    const std::vector<QImage> frames = ReadGifFrames(at("anim.gif"));
    ASSERT_EQ(frames.size(), 5u);
    const QImage expected[] = {first, interlaced, png, read(at("single.gif")),
                               plain.convertToFormat(QImage::Format_ARGB32)};
    for (int f = 0; f < 5; ++f) EXPECT_EQ(offPixels(frames[f], expected[f]), 0) << "frame " << f;
}

TEST_F(Animation, FramesOfOtherSizesSitTopLeftOnTheLargestScreen) {
    const QImage small = bands(20, 10, qRgb(200, 0, 0), qRgb(0, 0, 200));
    const QImage wide = bands(50, 12, qRgb(0, 200, 0), qRgb(0, 0, 0));
    const QImage tall = bands(30, 40, qRgb(9, 9, 9), qRgb(200, 200, 200));
    frameFromLibrary(small, "00");
    frameFromLibrary(wide, "01");
    frameFromLibrary(tall, "02");  // the largest height comes last: the screen is known only at the end
    ASSERT_EQ(assemble(), 0) << morphex().lastError();
    const GifInfo info = ReadGifStructure(at("anim.gif"));
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.screenWidth, 50);
    EXPECT_EQ(info.screenHeight, 40);
    const QSize sizes[] = {small.size(), wide.size(), tall.size()};
    ASSERT_EQ(info.frames.size(), 3u);
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(QSize(info.frames[f].width, info.frames[f].height), sizes[f]);
        EXPECT_EQ(info.frames[f].left + info.frames[f].top, 0);
    }
    const std::vector<QImage> frames = ReadGifFrames(at("anim.gif"));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(offPixels(frames[0].copy(0, 0, 20, 10), small), 0);
    EXPECT_EQ(offPixels(frames[2].copy(0, 0, 30, 40), tall), 0);
}

TEST_F(Animation, AFrameThatCannotBeReadStopsIt) {
    frameFromLibrary(filled(10, 10, Qt::red), "00");
    const std::string good = frameFromLibrary(filled(10, 10, Qt::blue), "02");
    const std::string whole = bytesOf(good);
    const struct { const char* what; std::string bytes; } cases[] = {
        {"cut short in its pixel data", whole.substr(0, whole.size() - 8)},
        {"cut short in its header", whole.substr(0, 12)},
        {"not a picture", "GIF? no, just text that happens to sit in a .gif file"},
        {"empty", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(at("Images/01.gif"), std::ios::binary) << c.bytes;
        EXPECT_NE(assemble(), 0);
        EXPECT_NE(morphex().lastError().find("01.gif"), std::string::npos) << morphex().lastError();
        EXPECT_FALSE(std::filesystem::exists(at("anim.gif")));
    }
}

}  // namespace
}  // namespace pivra::test
