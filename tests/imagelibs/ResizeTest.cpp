// -geometry WxH! against ImageMagick's own resize of the same file: the
// filter convert would pick (Lanczos, or Mitchell for colour-table, alpha
// and enlarged pictures) and its rounding, to within one level.
#include <gtest/gtest.h>
#include <wand/MagickWand.h>

#include <cstdint>
#include <memory>

#include "ImageLibraries.h"
#include "TestPictures.h"

namespace pivra::test {
namespace {

struct WandDeleter {
    void operator()(MagickWand* wand) const { DestroyMagickWand(wand); }
};
using Wand = std::unique_ptr<MagickWand, WandDeleter>;

Wand readWand(const std::string& path) {
    MagickWandGenesis();
    Wand wand(NewMagickWand());
    EXPECT_NE(MagickReadImage(wand.get(), path.c_str()), MagickFalse) << path;
    return wand;
}

QImage imageOf(MagickWand* wand) {
    const int w = static_cast<int>(MagickGetImageWidth(wand));
    const int h = static_cast<int>(MagickGetImageHeight(wand));
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
    MagickExportImagePixels(wand, 0, 0, w, h, "RGBA", CharPixel, rgba.data());
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            image.setPixel(x, y, qRgba(p[0], p[1], p[2], p[3]));
        }
    return image;
}

// What ImageMagick's ResizeImage makes of the file with its default filter.
QImage resizedByImageMagick(const std::string& path, int width, int height) {
    Wand wand = readWand(path);
    EXPECT_NE(MagickResizeImage(wand.get(), width, height, UndefinedFilter, 1.0), MagickFalse);
    return imageOf(wand.get());
}

// The mask template's form: a MIFF with a colour table.
void savePaletteMiff(const QImage& image, const std::string& path) {
    const std::string png = path + ".png";
    savePicture(image, png, "PNG");
    Wand wand = readWand(png);
    MagickSetImageType(wand.get(), PaletteType);
    ASSERT_NE(MagickWriteImage(wand.get(), ("MIFF:" + path).c_str()), MagickFalse);
}

// Channels that differ by more than one level; colour counts only where visible.
int pixelsOffByMoreThanOne(const QImage& a, const QImage& b) {
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            bool differs = std::abs(qAlpha(p) - qAlpha(q)) > 1;
            if (qAlpha(p) > 0 || qAlpha(q) > 0)
                differs = differs || std::abs(qRed(p) - qRed(q)) > 1 ||
                          std::abs(qGreen(p) - qGreen(q)) > 1 || std::abs(qBlue(p) - qBlue(q)) > 1;
            off += differs ? 1 : 0;
        }
    return off;
}

// Fine detail everywhere, so ringing and rounding show.
QImage busyPicture(int width, int height, bool withAlpha) {
    QImage image(width, height, QImage::Format_ARGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 63);
            const int alpha = withAlpha ? (x * 255 / width + (y % 3 == 0 ? 0 : 40)) % 256 : 255;
            image.setPixel(x, y, qRgba((x * 7 + noise) % 256, (y * 11) % 256,
                                       ((x + y) % 8 < 4 ? 230 : 20), alpha));
        }
    return image;
}

QImage disc(int side) {
    QImage image = solidImage(side, side, Qt::black);
    const double r = side / 2.0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if ((x + 0.5 - r) * (x + 0.5 - r) + (y + 0.5 - r) * (y + 0.5 - r) <= r * r)
                image.setPixel(x, y, qRgb(255, 255, 255));
    return image;
}

class Resize : public ::testing::Test {
protected:
    TestFolder folder;

    void expectLikeImageMagick(const std::string& source, int width, int height) {
        const std::string geometry = std::to_string(width) + "X" + std::to_string(height) + "!";
        const std::string out = folder.path("out.png");
        ASSERT_EQ(morphex().run({source, "-geometry", geometry, out}), 0) << morphex().lastError();
        const QImage ours = readPicture(out);
        const QImage theirs = resizedByImageMagick(source, width, height);
        ASSERT_EQ(ours.size(), QSize(width, height));
        ASSERT_EQ(theirs.size(), QSize(width, height));
        EXPECT_EQ(pixelsOffByMoreThanOne(ours, theirs), 0) << source << " " << geometry;
    }
};

TEST_F(Resize, OpaqueTrueColourShrinksWithLanczos) {
    // RGB32, so Qt writes no alpha channel at all.
    const QImage opaque = busyPicture(64, 48, false).convertToFormat(QImage::Format_RGB32);
    savePicture(opaque, folder.path("in.png"), "PNG");
    savePicture(opaque, folder.path("in.bmp"), "BMP");
    savePicture(opaque, folder.path("in.jpg"), "JPG");
    for (const char* name : {"in.png", "in.bmp", "in.jpg"}) {
        expectLikeImageMagick(folder.path(name), 20, 20);
        expectLikeImageMagick(folder.path(name), 5, 48);   // a strip: only the width changes
        expectLikeImageMagick(folder.path(name), 63, 47);
    }
}

TEST_F(Resize, EnlargementUsesMitchell) {
    savePicture(busyPicture(32, 24, false).convertToFormat(QImage::Format_RGB32), folder.path("in.png"),
                "PNG");
    expectLikeImageMagick(folder.path("in.png"), 60, 60);
    expectLikeImageMagick(folder.path("in.png"), 40, 20);  // wider, shorter: still enlarged overall
}

TEST_F(Resize, ColourTablePicturesUseMitchell) {
    // A GIF face, as the strips are cut from.
    saveGif({busyPicture(40, 40, false).convertToFormat(QImage::Format_Indexed8)
                 .convertToFormat(QImage::Format_ARGB32)},
            folder.path("face.gif"));
    expectLikeImageMagick(folder.path("face.gif"), 7, 40);
    expectLikeImageMagick(folder.path("face.gif"), 13, 13);
}

TEST_F(Resize, TheMaskTemplateKeepsItsCornersBlack) {
    savePaletteMiff(disc(120), folder.path("mask.mif"));
    for (int side : {12, 24, 119}) expectLikeImageMagick(folder.path("mask.mif"), side, side);
    ASSERT_EQ(morphex().run({folder.path("mask.mif"), "-geometry", "12X12!", folder.path("small.png")}), 0);
    const QImage small = readPicture(folder.path("small.png"));
    for (QPoint corner : {QPoint(0, 0), QPoint(11, 0), QPoint(0, 11), QPoint(11, 11)})
        EXPECT_EQ(small.pixel(corner), qRgb(0, 0, 0));

    // At full size the template is passed through and keeps its colour table,
    // and with it the filter of the next resize.
    ASSERT_EQ(morphex().run({folder.path("mask.mif"), "-geometry", "120X120!", folder.path("same.mif")}), 0);
    EXPECT_EQ(MagickGetImageType(readWand(folder.path("same.mif")).get()), PaletteType);
    ASSERT_EQ(morphex().run({folder.path("mask.mif"), "-geometry", "60X60!", folder.path("half.mif")}), 0);
    EXPECT_NE(MagickGetImageType(readWand(folder.path("half.mif")).get()), PaletteType);
}

TEST_F(Resize, AlphaIsWeightedLikeImageMagick) {
    savePicture(busyPicture(30, 30, true), folder.path("in.png"), "PNG");
    expectLikeImageMagick(folder.path("in.png"), 11, 13);
    expectLikeImageMagick(folder.path("in.png"), 45, 30);
}

}  // namespace
}  // namespace pivra::test
