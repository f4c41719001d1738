// pivra-make on photos as phones and the web keep them, written at test time by ImageMagick: every format
// and every EXIF orientation gives an upright coin; --crop keeps a round disc round and changes only the two
// face conversions.
#include <wand/MagickWand.h>

#include "PivraMakeFixture.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

using Photos = PivraMakeTest;

// Frame 24 of 50 shows the head at full width, unmirrored.
constexpr int kHeadFrame = 24;

// Writes pixels(x, y) -> RGB as `coder`; `orientation` 2..8 stores them as that EXIF orientation asks a
// viewer to undo, with the tag.
template <typename Pixels>
void WritePhoto(const std::string& path, const char* coder, int w, int h, Pixels pixels, int orientation = 1) {
    MagickWandGenesis();
    std::vector<unsigned char> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = pixels(x, y);
            rgb.insert(rgb.end(), {std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p))});
        }
    MagickWand* wand = NewMagickWand();
    MagickConstituteImage(wand, w, h, "RGB", CharPixel, rgb.data());
    if (orientation > 1) {
        PixelWand* none = NewPixelWand();
        switch (orientation) {
            case 2: MagickFlopImage(wand); break;
            case 3: MagickRotateImage(wand, none, 180); break;
            case 4: MagickFlipImage(wand); break;
            case 5: MagickTransposeImage(wand); break;
            case 6: MagickRotateImage(wand, none, 270); break;
            case 7: MagickTransverseImage(wand); break;
            case 8: MagickRotateImage(wand, none, 90); break;
        }
        DestroyPixelWand(none);
        const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01,
                                      3, 0, 1, 0, 0, 0, std::uint8_t(orientation), 0, 0, 0, 0, 0, 0, 0};
        MagickSetImageProfile(wand, "exif", exif, sizeof exif);
        MagickSetImageOrientation(wand, static_cast<OrientationType>(orientation));
    }
    EXPECT_NE(MagickWriteImage(wand, (std::string(coder) + ":" + path).c_str()), MagickFalse) << path;
    DestroyMagickWand(wand);
}

bool Reddish(QRgb p) { return qRed(p) > 150 && qBlue(p) < 100 && qAlpha(p) > 0; }
bool Bluish(QRgb p) { return qBlue(p) > 150 && qRed(p) < 100 && qAlpha(p) > 0; }

TEST_F(Photos, EveryFormatAndOrientationGivesAnUprightCoin) {
    // Red on the left, blue on the right, as shown.
    const auto halves = [](int x, int) { return x < 32 ? qRgb(230, 30, 30) : qRgb(30, 30, 230); };
    std::vector<std::pair<std::string, std::string>> pictures;  // file, what it is
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string file = dir / ("turned" + std::to_string(orientation) + ".jpg");
        WritePhoto(file, "JPEG", 64, 48, halves, orientation);
        pictures.emplace_back(file, "JPEG, orientation " + std::to_string(orientation));
    }
    for (const char* coder : {"PNG", "WEBP", "HEIC", "AVIF", "TIFF"}) {
        const std::string file = dir / ("photo." + std::string(coder));
        WritePhoto(file, coder, 64, 48, halves);
        pictures.emplace_back(file, coder);
    }
    for (const auto& [file, what] : pictures) {
        SCOPED_TRACE(what);
        const ProcessResult r = make({file, tail, dir / "out.gif", "--scale", "2"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::vector<QImage> frames = ReadGifFrames(dir / "out.gif");
        ASSERT_EQ(frames.size(), 50u);
        EXPECT_TRUE(Reddish(frames[kHeadFrame].pixel(6, 12))) << std::hex << frames[kHeadFrame].pixel(6, 12);
        EXPECT_TRUE(Bluish(frames[kHeadFrame].pixel(18, 12))) << std::hex << frames[kHeadFrame].pixel(18, 12);
    }
}

// The red disc's extent across the middle of the head at full width.
std::pair<int, int> DiscExtent(const std::string& gif) {
    const QImage head = ReadGifFrames(gif).at(kHeadFrame);
    int across = 0, down = 0;
    for (int k = 0; k < head.width(); ++k) {
        across += Reddish(head.pixel(k, head.height() / 2));
        down += Reddish(head.pixel(head.width() / 2, k));
    }
    return {across, down};
}

TEST_F(Photos, CropKeepsADiscRoundAndASquareAsItWas) {
    const auto disc = [](int w, int h) {
        return [w, h](int x, int y) {
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0, r = std::min(w, h) * 0.4;
            return dx * dx + dy * dy <= r * r ? qRgb(230, 30, 30) : qRgb(255, 255, 255);
        };
    };
    const struct { const char* name; int w, h; } shapes[] = {{"panorama.png", 300, 100}, {"portrait.jpg", 100, 300}};
    for (const auto& s : shapes) {
        SCOPED_TRACE(s.name);
        WritePhoto(dir / s.name, s.name[1] == 'a' ? "PNG" : "JPEG", s.w, s.h, disc(s.w, s.h));
        ASSERT_EQ(make({dir / s.name, tail, dir / "out.gif", "--scale", "8", "--crop"}).exitCode, 0);
        const auto [across, down] = DiscExtent(dir / "out.gif");
        EXPECT_NEAR(across, 77, 3);  // 0.8 of the 96-pixel face
        EXPECT_NEAR(down, 77, 3);
    }
    WritePhoto(dir / "square.png", "PNG", 150, 150, disc(150, 150));
    ASSERT_EQ(make({dir / "square.png", tail, dir / "squeezed.gif", "--scale", "8"}).exitCode, 0);
    ASSERT_EQ(make({dir / "square.png", tail, dir / "cropped.gif", "--scale", "8", "--crop"}).exitCode, 0);
    EXPECT_EQ(FileContents(dir / "squeezed.gif"), FileContents(dir / "cropped.gif"));
}

TEST_F(Photos, CropChangesTheFaceConversionsOnly) {
    const ProcessResult r = make({head, tail, dir / "spin.gif", "--trace", "--crop"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<CommandLine> trace = Traced(r.out);
    ASSERT_EQ(trace.size(), 141u);
    const std::string app = trace[0].at(1).substr(0, trace[0].at(1).size() - std::string("pre_mask.bmp").size());
    std::vector<CommandLine> expected = golden(app);
    ASSERT_EQ(expected.size(), 141u);
    for (const auto& [line, picture, face] : {std::tuple{4, head, "ImagA.gif"}, {5, tail, "ImagB.gif"}})
        expected[line] = {"Morphex.dll", picture, "-resize", "192X192^", "-gravity", "center",
                          "-crop", "192X192+0+0", "+repage", app + "Masks/" + face};
    EXPECT_EQ(trace, expected);
}

}  // namespace
}  // namespace pivra::test
