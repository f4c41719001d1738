// -geometry WxH! against ImageMagick's own resize of the same file: the
// filter convert would pick (Lanczos, or Mitchell for colour-table, alpha and
// enlarged pictures) and its rounding, to within one level.
#include <cstdint>

#include "ImageLibsTest.h"

namespace pivra::test {
namespace {

// Fine detail everywhere, so ringing and rounding show.
QImage busy(int width, int height, bool withAlpha) {
    QImage image(width, height, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int red = (x * 7 + int(seed >> 16 & 63)) % 256, blue = (x + y) % 8 < 4 ? 230 : 20;
            const int alpha = withAlpha ? (x * 255 / width + (y % 3 == 0 ? 0 : 40)) % 256 : 255;
            image.setPixel(x, y, qRgba(red, (y * 11) % 256, blue, alpha));
        }
    return image;
}

class Resize : public ImageLibsTest {
protected:
    void expectLikeImageMagick(const std::string& source, QSize size) {
        const std::string geometry = std::to_string(size.width()) + "X" + std::to_string(size.height()) + "!";
        ok(morphex(), {source, "-geometry", geometry, at("out.png")});
        Wand theirs = readWand(source);
        ASSERT_NE(MagickResizeImage(theirs.get(), size.width(), size.height(), UndefinedFilter, 1.0), MagickFalse);
        EXPECT_EQ(offPixels(read(at("out.png")), pixelsOf(theirs.get()), 1), 0) << source << " " << geometry;
    }
};

TEST_F(Resize, WithTheFilterConvertPicks) {
    const QImage opaque = busy(64, 48, false);  // RGB32: saved without an alpha channel
    const struct { std::string file; std::vector<QSize> sizes; } cases[] = {
        // Opaque true colour shrinks with Lanczos, a strip too where only the width changes.
        {save(opaque, "in.png"), {{20, 20}, {5, 48}, {63, 47}}},
        {save(opaque, "in.bmp"), {{20, 20}, {5, 48}}},
        {save(opaque, "in.jpg"), {{20, 20}, {5, 48}}},
        // Enlarged overall, even when one side shrinks: Mitchell.
        {save(busy(32, 24, false), "small.png"), {{60, 60}, {40, 20}}},
        // A colour table, as the GIF faces strips are cut from: Mitchell.
        {save(busy(40, 40, false).convertToFormat(QImage::Format_Indexed8), "face.gif"), {{7, 40}, {13, 13}}},
        // Alpha: Mitchell, colours weighted by alpha.
        {save(busy(30, 30, true), "alpha.png"), {{11, 13}, {45, 30}}}};
    for (const auto& c : cases)
        for (const QSize size : c.sizes) expectLikeImageMagick(c.file, size);
}

TEST_F(Resize, MaskTemplateKeepsItsColourTableAndBlackCorners) {
    // The mask template: a white disc on black, a MIFF with a colour table.
    QImage disc = filled(120, 120, Qt::black);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            if ((x - 59.5) * (x - 59.5) + (y - 59.5) * (y - 59.5) <= 3600) disc.setPixel(x, y, qRgb(255, 255, 255));
    const std::string mask = save(disc.convertToFormat(QImage::Format_RGB32), "mask.mif", true);
    for (int side : {12, 24, 119}) expectLikeImageMagick(mask, QSize(side, side));
    // Exactly black, or "-negate -transparent white" would miss the corners.
    ok(morphex(), {mask, "-geometry", "12X12!", at("small.png")});
    const QImage small = read(at("small.png"));
    for (QPoint corner : {QPoint(0, 0), QPoint(11, 0), QPoint(0, 11), QPoint(11, 11)})
        EXPECT_EQ(small.pixel(corner), qRgb(0, 0, 0));

    // At its own size it passes through with its colour table, which picks the filter of the next resize.
    ok(morphex(), {mask, "-geometry", "120X120!", at("same.mif")});
    ok(morphex(), {mask, "-geometry", "60X60!", at("half.mif")});
    EXPECT_EQ(MagickGetImageType(readWand(at("same.mif")).get()), PaletteType);
    EXPECT_NE(MagickGetImageType(readWand(at("half.mif")).get()), PaletteType);
}

}  // namespace
}  // namespace pivra::test
