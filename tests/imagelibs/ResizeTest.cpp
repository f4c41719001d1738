// -geometry WxH! against ImageMagick's own resize, within one level: Lanczos, or Mitchell for
// colour-table, alpha and enlarged pictures; exactly for one colour everywhere.
#include "ImageLibsTest.h"

namespace pivra::test {
namespace {

using Resize = ImageLibsTest;

// Fine detail everywhere, so ringing and rounding show.
QImage busy(int width, int height, bool withAlpha) {
    QImage image(width, height, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int alpha = withAlpha ? (x * 255 / width + (y % 3 == 0 ? 0 : 40)) % 256 : 255;
            image.setPixel(x, y, qRgba((x * 7 + int(seed >> 16 & 63)) % 256, (y * 11) % 256,
                                       (x + y) % 8 < 4 ? 230 : 20, alpha));
        }
    return image;
}

TEST_F(Resize, UsesTheFilterImageMagickPicks) {
    QImage disc = filled(120, 120, Qt::black);  // the mask template: a white disc, a MIFF with a colour table
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            if ((x - 59.5) * (x - 59.5) + (y - 59.5) * (y - 59.5) <= 3600) disc.setPixel(x, y, qRgb(255, 255, 255));
    const QImage opaque = busy(64, 48, false);
    const struct { std::string file; std::vector<QSize> sizes; int tolerance = 1; } cases[] = {
        {save(opaque, "in.png"), {{20, 20}, {5, 48}, {63, 47}}},
        {save(opaque, "in.jpg"), {{20, 20}, {5, 48}}},
        {save(busy(32, 24, false), "small.png"), {{60, 60}, {40, 20}}},  // enlarged even if one side shrinks
        {save(busy(40, 40, false).convertToFormat(QImage::Format_Indexed8), "face.gif"), {{7, 40}, {13, 13}}},
        {save(busy(30, 30, true), "alpha.png"), {{11, 13}, {45, 30}}},
        {save(busy(300, 3000, false), "tall.png"), {{300, 3}}},  // too steep to keep its rows converted
        {save(disc.convertToFormat(QImage::Format_RGB32), "mask.mif", true), {{12, 12}, {119, 119}}},
        {save(filled(300, 200, QColor(200, 100, 50)), "flat.bmp"), {{96, 64}, {7, 150}, {301, 3}}, 0}};
    for (const auto& c : cases)
        for (const QSize size : c.sizes) {
            const std::string geometry = std::to_string(size.width()) + "X" + std::to_string(size.height()) + "!";
            ok(morphex(), {c.file, "-geometry", geometry, at("out.png")});
            Wand theirs = readWand(c.file);
            ASSERT_NE(MagickResizeImage(theirs.get(), size.width(), size.height(), UndefinedFilter, 1.0), MagickFalse);
            EXPECT_EQ(offPixels(read(at("out.png")), pixelsOf(theirs.get()), c.tolerance), 0) << c.file << " " << geometry;
        }
    // At its own size the mask keeps its colour table, which picks the filter of the next resize.
    ok(morphex(), {at("mask.mif"), "-geometry", "120X120!", at("same.mif")});
    EXPECT_EQ(MagickGetImageType(readWand(at("same.mif")).get()), PaletteType);
}

}  // namespace
}  // namespace pivra::test
