// The animation set of libMorphex: a wildcard of frame files to one looping GIF.
#include <gtest/gtest.h>

#include "ImageLibraries.h"
#include "TestPictures.h"

namespace pivra::test {
namespace {

const std::vector<std::string> kAnimateOptions = {"-compress", "LZW", "-delay", "6",
                                                  "-dispose", "background", "-loop", "0"};

std::vector<std::string> animateArgs(const std::string& pattern, const std::string& out,
                                     std::vector<std::string> options = kAnimateOptions) {
    std::vector<std::string> args = {pattern};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(out);
    return args;
}

TEST(AnimateCommand, JoinsMatchingFramesInNameOrderWithDelayDisposalAndLoop) {
    TestFolder images, work;
    const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    // Written out of order; the names decide the order.
    for (int i : {2, 0, 3, 1}) {
        QImage frame = solidImage(12, 12, colors[i]);
        frame.setPixel(0, 0, qRgba(0, 0, 0, 0));
        saveGif({frame}, images.path("0000" + std::to_string(i) + ".gif"));
    }
    writeBytes(images.path("notes.txt"), {'h', 'i'});
    savePicture(solidImage(12, 12, Qt::black), images.path("extra.png"), "PNG");

    const std::string out = work.path("pivra.gif");
    ASSERT_EQ(morphex().run(animateArgs(images.path("*.gif"), out)), 0) << morphex().lastError();
    EXPECT_EQ(morphex().lastError(), "");

    GifFrames frames = readGifFrames(out);
    ASSERT_EQ(frames.images.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(frames.images[i].pixel(6, 6), colors[i].rgb()) << "frame " << i;
        EXPECT_EQ(qAlpha(frames.images[i].pixel(0, 0)), 0) << "frame " << i;
        EXPECT_EQ(frames.delaysMs[i], 60);
    }
    EXPECT_EQ(frames.loopCount, -1);  // Qt's word for "for ever"

    GifStructure gif = readGifStructure(out);
    EXPECT_EQ(gif.frameCount, 4);
    EXPECT_TRUE(gif.hasLoopBlock);
    EXPECT_EQ(gif.loopCount, 0);
    for (int i = 0; i < gif.frameCount; ++i) {
        EXPECT_EQ(gif.disposal[i], 2) << "frame " << i;
        EXPECT_EQ(gif.delay[i], 6) << "frame " << i;
        EXPECT_GT(gif.localColorCount[i], 0) << "frame " << i;
    }
    EXPECT_EQ(work.names(), std::vector<std::string>{"pivra.gif"});
}

TEST(AnimateCommand, OptionsInAnyOrderAndQuestionMarkPattern) {
    TestFolder folder;
    saveGif({solidImage(4, 4, Qt::red)}, folder.path("f1.gif"));
    saveGif({solidImage(4, 4, Qt::blue)}, folder.path("f2.gif"));
    saveGif({solidImage(4, 4, Qt::green)}, folder.path("f10.gif"));
    ASSERT_EQ(morphex().run(animateArgs(folder.path("f?.gif"), folder.path("out.gif"),
                                        {"-loop", "0", "-dispose", "Background", "-delay", "25", "-compress", "LZW"})),
              0)
        << morphex().lastError();
    GifStructure gif = readGifStructure(folder.path("out.gif"));
    ASSERT_EQ(gif.frameCount, 2);  // f10.gif has two characters where ? takes one
    EXPECT_EQ(gif.delay[1], 25);
    EXPECT_EQ(gif.disposal[1], 2);
    GifFrames frames = readGifFrames(folder.path("out.gif"));
    ASSERT_EQ(frames.images.size(), 2u);
    EXPECT_EQ(frames.images[1].pixel(1, 1), qRgb(0, 0, 255));
}

TEST(AnimateCommand, NoMatchingFileFailsWithoutOutput) {
    TestFolder folder;
    saveGif({solidImage(4, 4, Qt::red)}, folder.path("a.png.txt"));
    const std::string out = folder.path("pivra.gif");
    EXPECT_NE(morphex().run(animateArgs(folder.path("*.gif"), out)), 0);
    EXPECT_NE(morphex().lastError(), "");
    EXPECT_FALSE(fileExists(out));
    EXPECT_NE(morphex().run(animateArgs(folder.path("missing/*.gif"), out)), 0);
    EXPECT_FALSE(fileExists(out));
}

TEST(AnimateCommand, WildcardToAStillFormatTakesTheFirstFileOnly) {
    TestFolder folder;
    saveGif({solidImage(4, 4, Qt::red)}, folder.path("a.gif"));
    saveGif({solidImage(4, 4, Qt::blue)}, folder.path("b.gif"));
    ASSERT_EQ(morphex().run({folder.path("*.gif"), folder.path("out.png")}), 0) << morphex().lastError();
    EXPECT_EQ(readPicture(folder.path("out.png")).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"a.gif", "b.gif", "out.png"}));
}

}  // namespace
}  // namespace pivra::test
