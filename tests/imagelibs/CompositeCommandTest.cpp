// libLayerik: centring one picture over another, and mixing through a mask.
#include <QPainter>
#include <cmath>

#include "ImageLibsTest.h"

namespace pivra::test {
namespace {

using Composite = ImageLibsTest;

TEST_F(Composite, GravityCenterPutsSrcInTheMiddleRoundingDown) {
    const std::string base = save(filled(10, 8, Qt::white), "base.png");
    // Even, odd, no and negative differences to the base; larger src is cropped.
    for (const QSize size : {QSize(4, 4), QSize(3, 5), QSize(10, 8), QSize(13, 11)}) {
        QImage src(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) src.setPixel(x, y, qRgb(20 * x, 20 * y, 100));
        src.setPixel(1, 1, qRgba(0, 0, 0, 0));  // base shows through
        ok(layerik(), {save(src, "src.png"), "-gravity", "center", base, at("out.png")});
        const QPoint corner(std::floor((10 - size.width()) / 2.0), std::floor((8 - size.height()) / 2.0));
        QImage expected = filled(10, 8, Qt::white);
        QPainter(&expected).drawImage(corner, src);
        EXPECT_EQ(offPixels(read(at("out.png")), expected), 0) << size.width() << "x" << size.height();
    }
}

TEST_F(Composite, MaskBlackShowsSrcWhiteOrTransparentShowsBase) {
    const QRgb green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    // Black, white, transparent, mid grey, black at 20 %, and black beyond src's edge.
    const std::string mask = save(row({black, white, 0, qRgb(128, 128, 128), qRgba(0, 0, 0, 51), black}), "mask.png");
    const std::string src = save(filled(5, 1, green), "src.png");
    ok(layerik(), {src, save(filled(6, 1, blue), "base.png"), mask, at("blue.png")});
    // Grey 128 lets 1 - 128/255 of src through.
    const QImage mixed = row({green, blue, blue, qRgb(0, 127, 128), qRgb(0, 51, 204), blue});
    EXPECT_EQ(offPixels(read(at("blue.png")), mixed, 1), 0);
    // As a build does it, with the mask as the base too: nothing shows outside the disc.
    ok(layerik(), {src, mask, mask, at("strip.gif")});
    const QImage strip = read(at("strip.gif"));
    EXPECT_EQ(strip.pixel(0, 0), green);
    EXPECT_EQ(strip.pixel(1, 0), white);
    EXPECT_EQ(qAlpha(strip.pixel(2, 0)), 0);
    EXPECT_EQ(strip.pixel(5, 0), black);
}

}  // namespace
}  // namespace pivra::test
