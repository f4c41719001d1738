// The streamed animation: a GIF the library wrote is copied, anything else
// (a PNG under a .gif name, a picture of more colours than a GIF holds) is
// decoded and reduced as a conversion of its own reduces it, and frames of
// other sizes sit top left on the largest screen. giflib reads back the
// structure, Qt the pixels.
#include "ImageLibsTest.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

using Animation = ImageLibsTest;

TEST_F(Animation, EveryKindOfFrameKeepsItsPixelsOnTheLargestScreen) {
    std::filesystem::create_directory(at("Images"));
    QImage many(40, 30, QImage::Format_ARGB32);  // with a clear corner
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) many.setPixel(x, y, x < 4 && y < 4 ? 0 : qRgb(x * 6, y * 8, (x * y) % 256));
    const QImage small = filled(20, 10, qRgb(200, 0, 0)), wide = filled(50, 12, qRgb(0, 0, 200));
    // First, so that nothing of another frame shows through its clear corner.
    std::filesystem::copy_file(save(many, "00.png"), at("Images/00.gif"));
    ok(morphex(), {at("00.png"), at("single.gif")});
    ok(morphex(), {save(small, "01.png"), at("Images/01.gif")});
    ok(morphex(), {save(wide, "02.png"), at("Images/02.gif")});
    ASSERT_EQ(morphex().run({at("Images/*.gif"), "-delay", "6", "-dispose", "background", "-loop", "0", at("anim.gif")}), 0)
        << morphex().lastError();

    const GifInfo info = ReadGifStructure(at("anim.gif"));
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(std::make_tuple(info.screenWidth, info.screenHeight, info.loopCount), std::make_tuple(50, 30, 0));
    const QImage expected[] = {read(at("single.gif")), small, wide};
    const std::vector<QImage> frames = ReadGifFrames(at("anim.gif"));
    ASSERT_EQ(info.frames.size(), 3u);
    ASSERT_EQ(frames.size(), 3u);
    for (int f = 0; f < 3; ++f) {
        const GifFrameInfo& i = info.frames[f];
        EXPECT_EQ(std::make_tuple(i.delayCs, i.disposal, i.left, i.top, i.width, i.height),
                  std::make_tuple(6, 2, 0, 0, expected[f].width(), expected[f].height())) << "frame " << f;
        EXPECT_EQ(offPixels(frames[f].copy(0, 0, expected[f].width(), expected[f].height()), expected[f]), 0) << "frame " << f;
    }
}

}  // namespace
}  // namespace pivra::test
