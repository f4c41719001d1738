// pivra-make --crop: a round disc stays round whatever the picture's shape, a
// square picture comes out as without --crop, and only the two face conversions change.
#include "PivraMakeFixture.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

using Crop = PivraMakeTest;

// A red disc on white, 0.8 of the picture's shorter side across.
bool WriteDisc(const std::string& path, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    const double r = std::min(w, h) * 0.4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            image.setPixel(x, y, dx * dx + dy * dy <= r * r ? qRgb(230, 30, 30) : qRgb(255, 255, 255));
        }
    return image.save(QString::fromStdString(path), nullptr, 95);
}

bool Reddish(QRgb p) { return qRed(p) > 150 && qBlue(p) < 100 && qAlpha(p) > 0; }

TEST_F(Crop, KeepsADiscRoundAndASquareAsItWas) {
    for (const auto& [name, w, h] : {std::tuple{"panorama.png", 300, 100}, {"portrait.jpg", 100, 300}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteDisc(dir / name, w, h));
        ASSERT_EQ(make({dir / name, tail, dir / "out.gif", "--scale", "8", "--crop"}).exitCode, 0);
        const QImage face = ReadGifFrames(dir / "out.gif").at(24);  // the head at full width
        int across = 0, down = 0;
        for (int k = 0; k < face.width(); ++k) {
            across += Reddish(face.pixel(k, face.height() / 2));
            down += Reddish(face.pixel(face.width() / 2, k));
        }
        EXPECT_NEAR(across, 77, 3);  // 0.8 of the 96-pixel face
        EXPECT_NEAR(down, 77, 3);
    }
    ASSERT_TRUE(WriteDisc(dir / "square.png", 150, 150));
    ASSERT_EQ(make({dir / "square.png", tail, dir / "squeezed.gif", "--scale", "8"}).exitCode, 0);
    ASSERT_EQ(make({dir / "square.png", tail, dir / "cropped.gif", "--scale", "8", "--crop"}).exitCode, 0);
    EXPECT_EQ(FileContents(dir / "squeezed.gif"), FileContents(dir / "cropped.gif"));
}

TEST_F(Crop, ChangesTheFaceConversionsOnly) {
    const ProcessResult r = make({head, tail, dir / "spin.gif", "--trace", "--crop"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<CommandLine> trace = Traced(r.out);
    ASSERT_EQ(trace.size(), 141u);
    const std::string app = AppOf(trace);
    std::vector<CommandLine> expected = golden(app);
    for (const auto& [line, picture, face] : {std::tuple{4, head, "ImagA.gif"}, {5, tail, "ImagB.gif"}})
        expected.at(line) = {"Morphex.dll", picture, "-resize", "192X192^", "-gravity", "center",
                             "-crop", "192X192+0+0", "+repage", app + "Masks/" + face};
    EXPECT_EQ(trace, expected);
}

}  // namespace
}  // namespace pivra::test
