#pragma once
// Pictures written and read back with Qt and MagickWand, never with the libraries.
#include <gtest/gtest.h>
#include <wand/MagickWand.h>

#include <QImageReader>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>

#include "ImageLibraries.h"
#include "support/FileContents.h"
#include "support/TempFolder.h"

namespace pivra::test {

using Wand = std::unique_ptr<MagickWand, MagickWand* (*)(MagickWand*)>;

// A file as ImageMagick reads it; an empty path gives an empty wand.
inline Wand readWand(const std::string& path) {
    MagickWandGenesis();
    Wand wand(NewMagickWand(), DestroyMagickWand);
    EXPECT_TRUE(path.empty() || MagickReadImage(wand.get(), path.c_str()) != MagickFalse) << path;
    return wand;
}

// The picture's pixels in a wand, with an alpha channel only when the picture has one: ImageMagick picks
// its resize filter by that.
inline Wand wandOf(const QImage& image) {
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Wand wand = readWand("");
    MagickConstituteImage(wand.get(), pixels.width(), pixels.height(), alpha ? "BGRA" : "BGRP", CharPixel,
                          pixels.constBits());
    return wand;
}

inline QImage pixelsOf(MagickWand* wand) {
    QImage image(int(MagickGetImageWidth(wand)), int(MagickGetImageHeight(wand)), QImage::Format_ARGB32);
    MagickExportImagePixels(wand, 0, 0, image.width(), image.height(), "BGRA", CharPixel, image.bits());
    return image;
}

inline QImage read(const std::string& path) {
    return QImageReader(QString::fromStdString(path)).read().convertToFormat(QImage::Format_ARGB32);
}

// Pixels off by more than tolerance in a channel (colour only where visible); -1 when the sizes differ.
inline int offPixels(const QImage& a, const QImage& b, int tolerance = 0) {
    if (a.size() != b.size()) return -1;
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const bool visible = qAlpha(p) > 0 || qAlpha(q) > 0;
            off += std::abs(qAlpha(p) - qAlpha(q)) > tolerance ||
                   (visible && std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                         std::abs(qBlue(p) - qBlue(q))}) > tolerance);
        }
    return off;
}

class ImageLibsTest : public ::testing::Test {
protected:
    TempFolder dir{"imagelibs"};
    std::string at(const std::string& name) const { return dir / name; }

    static void ok(const ImageCommandLibrary& library, const std::vector<std::string>& args) {
        ASSERT_EQ(library.run(args), 0) << library.lastError();
        EXPECT_EQ(library.lastError(), "");
    }

};

}  // namespace pivra::test
