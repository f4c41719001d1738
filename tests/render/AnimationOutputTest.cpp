// pivra-make's animated WebP and APNG read back by libwebp's demuxing decoder
// and by libpng with a walk of the animation chunks, frame by frame against
// the RGBA render of the faces the run kept; and that render against the GIF
// build of the same pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "PictureLoader.h"
#include "builder/BuiltFaces.h"
#include "render/SpinRender.h"
#include "support/AnimationReaders.h"
#include "support/GifInspect.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {
namespace {

// Smooth gradients and a soft ring, as a photo has them: a face with some
// detail for the lossy encoder to lose.
bool WriteDetailedPicture(const std::string& path, int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double ring = 60 * std::exp(-std::pow((std::hypot(x - w / 2.0, y - h / 2.0) / w - 0.3) / 0.05, 2));
            image.setPixel(x, y, qRgb(30 + x * 180 / w + seed * 10, int(40 + y * 150 / h + ring),
                                      int(120 + 50 * seed * std::sin(x / 25.0))));
        }
    return image.save(QString::fromStdString(path));
}

// PSNR of two frames laid over the same opaque grey page, in dB (99 when equal).
double PsnrOver(const RgbaFrame& shown, const imagelib::Picture& reference, int page) {
    const auto over = [page](std::uint8_t c, std::uint8_t a) { return (c * a + page * (255 - a)) / 255.0; };
    double sum = 0;
    for (size_t i = 0; i < reference.rgba.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) {
            const double d = over(shown.rgba[i + c], shown.rgba[i + 3]) - over(reference.rgba[i + c], reference.rgba[i + 3]);
            sum += d * d;
        }
    const double mse = sum / (reference.pixelCount() * 3.0);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Pixels partly covered, and pixels visible at all.
std::pair<int, int> Coverage(const std::vector<std::uint8_t>& rgba) {
    int partly = 0, visible = 0;
    for (size_t i = 3; i < rgba.size(); i += 4) partly += rgba[i] != 0 && rgba[i] != 255, visible += rgba[i] != 0;
    return {partly, visible};
}

class Outputs : public ::testing::Test {
protected:
    // One run that keeps its working folder, and the render of the faces it kept there.
    void make(const std::string& output, std::vector<std::string> options) {
        std::vector<std::string> args{std::string(PIVRA_BIN_DIR) + "/pivra-make", dir / "head.png", dir / "tail.png",
                                      dir / output, "--workdir", work.str(), "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const ProcessResult r = RunProcess(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        SpinRender spin(imagelib::loadPicture(work / kBuiltHeadFace), imagelib::loadPicture(work / kBuiltTailFace));
        render.clear();
        for (int k = 0; k < spin.frameCount(); ++k) render.push_back(spin.frame(k));
        ASSERT_EQ(render.size(), 50u);
    }
    TempFolder dir{"outputs"}, work{"outputs-work"};
    std::vector<imagelib::Picture> render;
};

TEST_F(Outputs, WebpPlaysTheRenderEvery60MsForEverWithItsRimHalfCovered) {
    ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 200, 150, 1));
    ASSERT_TRUE(WriteDetailedPicture(dir / "tail.png", 120, 160, 2));
    for (const auto& [options, leastDb] : {std::pair{std::vector<std::string>{"--scale", "8"}, 36.0},
                                           {{"--scale", "4", "--lossless"}, 99.0}}) {
        SCOPED_TRACE(options.back());
        make("spin.webp", options);
        const WebpAnimation anim = ReadWebpAnimation(dir / "spin.webp");
        ASSERT_TRUE(anim.ok && !anim.endsMs.empty());
        EXPECT_EQ(std::make_tuple(anim.width, anim.height, anim.loopCount, anim.endsMs.back()),
                  std::make_tuple(render[0].width, render[0].height, 0, 50 * 60));
        // Frame k is what shows at 60k ms; identical neighbours may share one longer frame.
        size_t shown = 0;
        for (int k = 0; k < 50; ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            while (shown < anim.endsMs.size() && anim.endsMs[shown] <= 60 * k) ++shown;
            ASSERT_LT(shown, anim.frames.size());
            for (int page : {0, 255}) EXPECT_GE(PsnrOver(anim.frames[shown], render[static_cast<size_t>(k)], page), leastDb);
            const auto [partly, visible] = Coverage(anim.frames[shown].rgba);
            EXPECT_TRUE(k % 25 == 12 ? visible == 0 : partly > render[0].height / 2) << "the rim is partly transparent";
        }
    }
}

// The APNG is the render exactly; the render follows the GIF's plan: for each
// frame the same face, width and place, its alpha the coin's area, its colour the face's alone.
TEST_F(Outputs, ApngIsTheRenderExactlyAndTheRenderShowsWhatTheGifShows) {
    const QColor head(200, 30, 40), tail(20, 60, 210);
    ASSERT_TRUE(WriteSolidPicture(dir / "head.png", 90, 60, head));
    ASSERT_TRUE(WriteSolidPicture(dir / "tail.png", 60, 90, tail));
    make("spin.gif", {"--scale", "8"});
    make("spin.png", {"--scale", "8"});
    const ApngAnimation anim = ReadApng(dir / "spin.png");
    ASSERT_TRUE(anim.ok && anim.stillIsFirstFrame);
    EXPECT_EQ(anim.still.rgba, render[0].rgba) << "a reader without animation shows the first frame";
    EXPECT_EQ(std::make_pair(anim.frameCount, anim.plays), std::make_pair(50, 0));
    ASSERT_EQ(std::make_pair(anim.controls.size(), anim.frames.size()), std::make_pair(size_t{50}, size_t{50}));
    const std::vector<QImage> gif = ReadGifFrames(dir / "spin.gif");
    ASSERT_EQ(gif.size(), 50u);
    const int side = 96, mid = side / 2;
    for (size_t k = 0; k < 50; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        // One run of sequence numbers through frame controls and frame data, from 0.
        const ApngFrameControl& c = anim.controls[k];
        EXPECT_EQ(c.sequence, k == 0 ? 0 : 2 * k - 1);
        if (k > 0) { EXPECT_EQ(anim.dataSequence.at(k - 1), 2 * k); }
        EXPECT_EQ(c.delayNum * 1000, 60 * c.delayDen);
        EXPECT_EQ(std::make_tuple(c.x, c.y, c.width, c.height, c.blend), std::make_tuple(0, 0, side, side, 0));
        const imagelib::Picture& r = render[k];
        EXPECT_TRUE(anim.frames[k].width == side && anim.frames[k].rgba == r.rgba);
        // Where each shows anything on the middle row, and the face there.
        int gifFirst = -1, gifLast = -1, first = -1, last = -1;
        for (int x = 0; x < side; ++x) {
            if (qAlpha(gif[k].pixel(x, mid)) != 0) gifLast = x, gifFirst = gifFirst < 0 ? x : gifFirst;
            if (r.pixel(x, mid)[3] != 0) last = x, first = first < 0 ? x : first;
        }
        EXPECT_LE(std::abs(first - gifFirst) + std::abs(last - gifLast), 1);
        if (first < 0) continue;
        const QColor face = k >= 13 && k <= 36 ? head : tail;
        EXPECT_TRUE(CloseColour(gif[k].pixel((first + last) / 2, mid), face, 6));
        for (size_t i = 0; i < r.rgba.size(); i += 4)
            if (r.rgba[i + 3] != 0) { ASSERT_TRUE(CloseColour(qRgb(r.rgba[i], r.rgba[i + 1], r.rgba[i + 2]), face, 2)); }
    }
    // Full width: the disc's area, pi r^2, to a fraction of a pixel per row.
    double covered = 0;
    for (size_t i = 3; i < render[0].rgba.size(); i += 4) covered += render[0].rgba[i] / 255.0;
    EXPECT_NEAR(covered, M_PI * mid * mid, side * 0.05);
    EXPECT_GT(Coverage(render[0].rgba).first, side / 2) << "the rim is partly transparent";
}

}  // namespace
}  // namespace pivra::test
