// pivra-make's animated WebP and APNG read back by libwebp's demuxing decoder
// and by libpng with a walk of the animation chunks, frame by frame against
// the RGBA render of the faces the run kept; and that render against the GIF
// build of the same pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <filesystem>

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

const std::string kMake = std::string(PIVRA_BIN_DIR) + "/pivra-make";

// Smooth gradients and a soft ring, as a photo has them: a face with some
// detail for the lossy encoder to lose.
bool WriteDetailedPicture(const std::string& path, int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - w / 2.0, y - h / 2.0) / w;
            const double ring = 60 * std::exp(-std::pow((d - 0.3) / 0.05, 2));
            image.setPixel(x, y, qRgb(30 + x * 180 / w + seed * 10, int(40 + y * 150 / h + ring),
                                      int(120 + 50 * seed * std::sin(x / 25.0))));
        }
    return image.save(QString::fromStdString(path));
}

// Frames of the render of the faces a run kept in its working folder.
std::vector<imagelib::Picture> RenderOf(const std::string& workdir) {
    SpinRender render(imagelib::loadPicture(workdir + "/" + kBuiltHeadFace),
                      imagelib::loadPicture(workdir + "/" + kBuiltTailFace));
    std::vector<imagelib::Picture> frames;
    for (int k = 0; k < render.frameCount(); ++k) frames.push_back(render.frame(k));
    return frames;
}

// Straight RGBA over an opaque grey level, as a page shows it.
double Over(std::uint8_t c, std::uint8_t a, int page) { return (c * a + page * (255 - a)) / 255.0; }

// PSNR of two frames laid over the same page, in dB (99 when equal).
double PsnrOver(const RgbaFrame& shown, const imagelib::Picture& reference, int page) {
    double sum = 0;
    for (size_t i = 0; i < reference.rgba.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) {
            const double d = Over(shown.rgba[i + c], shown.rgba[i + 3], page) -
                             Over(reference.rgba[i + c], reference.rgba[i + 3], page);
            sum += d * d;
        }
    const double mse = sum / (reference.pixelCount() * 3.0);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool SameRgba(const RgbaFrame& a, const imagelib::Picture& b) {
    return a.width == b.width && a.height == b.height && a.rgba == b.rgba;
}

// Pixels partly covered, and pixels visible at all.
std::pair<int, int> Coverage(const std::vector<std::uint8_t>& rgba) {
    int partly = 0, visible = 0;
    for (size_t i = 3; i < rgba.size(); i += 4) partly += rgba[i] != 0 && rgba[i] != 255, visible += rgba[i] != 0;
    return {partly, visible};
}

class Outputs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteDetailedPicture(dir / "head.png", 200, 150, 1));
        ASSERT_TRUE(WriteDetailedPicture(dir / "tail.png", 120, 160, 2));
    }
    // One run that keeps its working folder; the output's ending picks the kind.
    void make(const std::string& output, std::vector<std::string> options = {}) {
        std::vector<std::string> args{kMake, dir / "head.png", dir / "tail.png", dir / output, "--workdir", work.str(), "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const ProcessResult r = RunProcess(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        render = RenderOf(work.str());
        ASSERT_EQ(render.size(), 50u);
    }
    TempFolder dir{"outputs"}, work{"outputs-work"};
    std::vector<imagelib::Picture> render;
};

TEST_F(Outputs, WebpPlaysTheRenderEvery60MsForEverWithItsRimHalfCovered) {
    struct Case { std::vector<std::string> options; double leastDb; };
    for (const Case& c : {Case{{"--scale", "8"}, 36.0}, Case{{"--scale", "4", "--lossless"}, 99.0}}) {
        SCOPED_TRACE(c.options.back());
        make("spin.webp", c.options);
        const WebpAnimation anim = ReadWebpAnimation(dir / "spin.webp");
        ASSERT_TRUE(anim.ok);
        EXPECT_EQ(std::make_tuple(anim.width, anim.height, anim.loopCount),
                  std::make_tuple(render[0].width, render[0].height, 0));
        ASSERT_FALSE(anim.endsMs.empty());
        EXPECT_EQ(anim.endsMs.back(), 50 * 60);
        // Frame k is what shows at 60k ms; identical neighbours may share one longer frame.
        size_t shown = 0;
        for (int k = 0; k < 50; ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            while (shown < anim.endsMs.size() && anim.endsMs[shown] <= 60 * k) ++shown;
            ASSERT_LT(shown, anim.frames.size());
            for (int page : {0, 255}) EXPECT_GE(PsnrOver(anim.frames[shown], render[static_cast<size_t>(k)], page), c.leastDb);
            const auto [partly, visible] = Coverage(anim.frames[shown].rgba);
            if (k == 12 || k == 37) { EXPECT_EQ(visible, 0); }
            else { EXPECT_GT(partly, render[0].height / 2) << "the rim is partly transparent"; }
        }
    }
}

TEST_F(Outputs, ApngStillAndFramesAreTheRenderExactly) {
    make("spin.png", {"--scale", "4"});
    const ApngAnimation anim = ReadApng(dir / "spin.png");
    ASSERT_TRUE(anim.ok);
    EXPECT_TRUE(anim.stillIsFirstFrame);
    EXPECT_TRUE(SameRgba(anim.still, render[0])) << "a reader without animation shows the first frame";
    EXPECT_EQ(std::make_pair(anim.frameCount, anim.plays), std::make_pair(50, 0));
    ASSERT_EQ(anim.controls.size(), 50u);
    ASSERT_EQ(anim.frames.size(), 50u);
    // One run of sequence numbers through frame controls and frame data, from 0.
    std::vector<std::uint32_t> sequence;
    for (size_t k = 0; k < 50; ++k) {
        sequence.push_back(anim.controls[k].sequence);
        if (k > 0) sequence.push_back(anim.dataSequence.at(k - 1));
    }
    for (size_t i = 0; i < sequence.size(); ++i) EXPECT_EQ(sequence[i], i);
    for (size_t k = 0; k < 50; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const ApngFrameControl& c = anim.controls[k];
        EXPECT_EQ(c.delayNum * 1000, 60 * c.delayDen);
        EXPECT_EQ(std::make_tuple(c.x, c.y, c.width, c.height, c.blend), std::make_tuple(0, 0, 48, 48, 0));
        EXPECT_TRUE(SameRgba(anim.frames[k], render[k]));
        EXPECT_TRUE(k % 25 == 12 || Coverage(render[k].rgba).first > 24);
    }
}

// The render follows the GIF's plan: for each frame the same face, width and
// place. Its alpha is the coin's area, its colour the face's alone.
TEST_F(Outputs, RenderShowsWhatTheGifShowsWithTheCoinsAreaAsAlpha) {
    const QColor head(200, 30, 40), tail(20, 60, 210);
    ASSERT_TRUE(WriteSolidPicture(dir / "head.png", 90, 60, head));
    ASSERT_TRUE(WriteSolidPicture(dir / "tail.png", 60, 90, tail));
    make("spin.gif", {"--scale", "8"});
    const std::vector<QImage> gif = ReadGifFrames(dir / "spin.gif");
    ASSERT_EQ(gif.size(), 50u);
    const int side = 96, mid = side / 2;
    for (size_t k = 0; k < 50; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const imagelib::Picture& r = render[k];
        // Where each shows anything on the middle row, and the face there.
        int gifFirst = -1, gifLast = -1, first = -1, last = -1;
        for (int x = 0; x < side; ++x) {
            if (qAlpha(gif[k].pixel(x, mid)) != 0) gifLast = x, gifFirst = gifFirst < 0 ? x : gifFirst;
            if (r.pixel(x, mid)[3] != 0) last = x, first = first < 0 ? x : first;
        }
        EXPECT_LE(std::abs(first - gifFirst), 1);
        EXPECT_LE(std::abs(last - gifLast), 1);
        if (first < 0) continue;
        const std::uint8_t* centre = r.pixel((first + last) / 2, mid);
        EXPECT_TRUE(CloseColour(gif[k].pixel((first + last) / 2, mid), QColor(centre[0], centre[1], centre[2]), 4));
        const QColor face = k >= 13 && k <= 36 ? head : tail;
        for (size_t i = 0; i < r.rgba.size(); i += 4) {
            if (r.rgba[i + 3] != 0) { ASSERT_TRUE(CloseColour(qRgb(r.rgba[i], r.rgba[i + 1], r.rgba[i + 2]), face, 2)); }
        }
    }
    // Full width: the disc's area, pi r^2, to a fraction of a pixel per row.
    double covered = 0;
    for (size_t i = 3; i < render[0].rgba.size(); i += 4) covered += render[0].rgba[i] / 255.0;
    EXPECT_NEAR(covered, M_PI * mid * mid, side * 0.05);
}

}  // namespace
}  // namespace pivra::test
