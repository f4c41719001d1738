// -fill COLOUR -colorize PERCENT, the page strips' command: every colour
// moved toward the fill by the percentage, as convert documents it, and
// transparency kept as it was. Qt reads the result back.
#include "ImageLibsTest.h"

namespace pivra::test {
namespace {

using Colorize = ImageLibsTest;

TEST_F(Colorize, MovesEveryColourTowardTheFillAndKeepsTransparency) {
    QImage picture(16, 12, QImage::Format_ARGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) picture.setPixel(x, y, y < 3 ? qRgba(250, 250, 250, 0) : qRgb(x * 15, y * 20, 200));
    const std::string source = save(picture, "source.png");
    const QColor fill(0x10, 0x20, 0x30);
    for (int percent : {100, 40}) {
        SCOPED_TRACE(percent);
        const std::string out = at("out" + std::to_string(percent) + ".png");
        ok(morphex(), {source, "-fill", "#102030", "-colorize", std::to_string(percent) + "%", out});
        QImage expected = picture;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb p = picture.pixel(x, y);
                const auto mix = [&](int c, int f) { return int(std::lround(c + (f - c) * percent / 100.0)); };
                expected.setPixel(x, y, qRgba(mix(qRed(p), fill.red()), mix(qGreen(p), fill.green()),
                                              mix(qBlue(p), fill.blue()), qAlpha(p)));
            }
        EXPECT_EQ(offPixels(read(out), expected, 1), 0);
    }
    EXPECT_NE(morphex().run({source, "-fill", "#102030", "-colorize", "101", at("bad.png")}), 0);
}

}  // namespace
}  // namespace pivra::test
