// What the libraries decode, pixel for pixel against Qt's readers or hand-computed values: every BMP kind
// (after pictures whose freed memory an unwritten alpha channel would show), GIF frames.
#include <QPainter>

#include "GifBytes.h"
#include "ImageLibsTest.h"
#include "PictureBytes.h"

namespace pivra::test {
namespace {

using Decoder = ImageLibsTest;

// Sixteen vertical colour bands on 64 x 64, as the tail that showed the fault.
constexpr int kSide = 64;
std::uint32_t bandColour(int band) { return (band * 16) << 16 | (255 - band * 15) << 8 | (band * 40 % 256); }
int bandAt(int x, int y, int bands) { return (x / 4 + y / 16) % bands; }

// Rows bottom-up (or top-down), padded to four bytes: band indices packed at `bits` <= 8 a pixel, or
// the band colours at 16 (5-5-5 or 5-6-5), 24 or 32 bits.
std::vector<std::uint8_t> bmpRows(int bits, int bands, bool topDown, bool rgb565 = false) {
    std::vector<std::uint8_t> out;
    for (int r = 0; r < kSide; ++r) {
        const int y = topDown ? r : kSide - 1 - r;
        std::vector<std::uint8_t> line(bits <= 8 ? kSide * bits / 8 : 0, 0);
        for (int x = 0; x < kSide; ++x) {
            const std::uint32_t c = bandColour(bandAt(x, y, bands));
            const unsigned red = c >> 16 & 255, green = c >> 8 & 255, blue = c & 255;
            if (bits <= 8) {
                line[x * bits / 8] |= std::uint8_t(bandAt(x, y, bands) << (8 - bits - x * bits % 8));
            } else if (bits == 16) {
                const unsigned v = rgb565 ? (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3
                                          : (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3;
                line.insert(line.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
            } else {
                line.insert(line.end(), {std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red)});
                if (bits == 32) line.push_back(0);
            }
        }
        line.resize((line.size() + 3) / 4 * 4, 0);
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

// RLE8 or RLE4: one run per band within each row, then end of line; end of bitmap.
std::vector<std::uint8_t> rleRows(bool four, int bands) {
    std::vector<std::uint8_t> out;
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; x += 4) {
            const auto i = std::uint8_t(bandAt(x, y, bands));
            out.push_back(4);
            out.push_back(four ? std::uint8_t(i << 4 | i) : i);
        }
        out.push_back(0), out.push_back(0);
    }
    out.push_back(0), out.push_back(1);
    return out;
}

std::vector<std::uint32_t> bandPalette(int bands) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < bands; ++i) palette.push_back(bandColour(i));
    return palette;
}

// The bands as a picture, for the writers that start from one.
QImage bandImage(int bands) {
    QImage image(kSide, kSide, QImage::Format_RGB32);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) image.setPixel(x, y, 0xff000000 | bandColour(bandAt(x, y, bands)));
    return image;
}

TEST_F(Decoder, EveryBmpKindAfterOtherPicturesMatchesQt) {
    std::vector<std::string> bmps;
    auto ours = [&](const std::string& name, const BmpLayout& layout) {
        WriteFile(at(name), BmpFileBytes(layout));
        bmps.push_back(at(name));
    };
    ours("pal1.bmp", {kSide, kSide, 1, 0, bandPalette(2), {}, bmpRows(1, 2, false)});
    ours("pal4.bmp", {kSide, kSide, 4, 0, bandPalette(16), {}, bmpRows(4, 16, false)});
    ours("pal8.bmp", {kSide, kSide, 8, 0, bandPalette(16), {}, bmpRows(8, 16, false)});
    ours("pal8-topdown.bmp", {kSide, -kSide, 8, 0, bandPalette(16), {}, bmpRows(8, 16, true)});
    ours("rle4.bmp", {kSide, kSide, 4, 2, bandPalette(16), {}, rleRows(true, 16)});
    ours("rle8.bmp", {kSide, kSide, 8, 1, bandPalette(16), {}, rleRows(false, 16)});
    ours("rgb555.bmp", {kSide, kSide, 16, 0, {}, {}, bmpRows(16, 16, false)});
    ours("rgb565.bmp", {kSide, kSide, 16, 3, {}, {0xf800, 0x07e0, 0x001f}, bmpRows(16, 16, false, true)});
    ours("rgb24.bmp", {kSide, kSide, 24, 0, {}, {}, bmpRows(24, 16, false)});
    ours("rgb24-topdown.bmp", {kSide, -kSide, 24, 0, {}, {}, bmpRows(24, 16, true)});
    ours("rgb32.bmp", {kSide, kSide, 32, 0, {}, {}, bmpRows(32, 16, false)});
    // Qt's writer: 1-bit, 8-bit palette and 24-bit.
    for (const auto& [name, format] : {std::pair{"qt-mono.bmp", QImage::Format_Mono},
                                       {"qt-pal8.bmp", QImage::Format_Indexed8}, {"qt-rgb.bmp", QImage::Format_RGB32}})
        bmps.push_back(save(bandImage(format == QImage::Format_Mono ? 2 : 16).convertToFormat(format), name));
    // ImageMagick's writer: palette, palette with RLE, and true colour in the old header.
    const QImage bands = bandImage(16);
    for (const std::string name : {"BMP:im-pal.bmp", "BMP:im-rle.bmp", "BMP3:im-bmp3.bmp"}) {
        Wand wand = readWand("");
        MagickConstituteImage(wand.get(), kSide, kSide, "BGRP", CharPixel, bands.constBits());
        if (name[3] == ':') MagickSetImageType(wand.get(), PaletteType);
        if (name == "BMP:im-rle.bmp") MagickSetImageCompression(wand.get(), RLECompression);
        bmps.push_back(at(name.substr(name.find(':') + 1)));
        const std::string target = name.substr(0, name.find(':') + 1) + bmps.back();
        ASSERT_NE(MagickWriteImage(wand.get(), target.c_str()), MagickFalse) << target;
    }

    QImage grey(300, 200, QImage::Format_Grayscale8);
    grey.fill(90);
    ok(morphex(), {save(grey, "head.jpg"), "-geometry", "120X120!", at("head.gif")});
    ok(morphex(), {save(filled(200, 200, qRgba(10, 20, 30, 0)), "clear.png"), at("clear.gif")});
    for (const std::string& bmp : bmps) {
        const QImage expected = read(bmp);
        ASSERT_EQ(expected.size(), QSize(kSide, kSide)) << bmp;
        for (int pass = 0; pass < 2; ++pass) {  // the same file twice gives the same pixels
            ok(morphex(), {bmp, at("tail.png")});
            const int tolerance = bmp.find("rgb5") != std::string::npos ? 8 : 0;  // 5-bit channels vary
            EXPECT_EQ(offPixels(read(at("tail.png")), expected, tolerance), 0) << bmp << " pass " << pass;
            ok(morphex(), {bmp, "-geometry", "48X48!", at("tail.gif")});
            const QImage resized = read(at("tail.gif"));
            EXPECT_EQ(offPixels(resized, resized.convertToFormat(QImage::Format_RGB32).convertToFormat(
                QImage::Format_ARGB32)), 0) << bmp << " pass " << pass;  // opaque everywhere
        }
    }
}

TEST_F(Decoder, GifFrameAtItsOwnSizeAndAGreyRampWithoutColourTable) {
    // A 2 x 2 frame at (5, 3) on a 10000 x 10000 screen: the picture is the frame.
    GifLayout small{10000, 10000, 5, 3, 2, 2, {0, 1, 1, 0}};
    std::ofstream(at("small.gif"), std::ios::binary) << GifFileBytes(small);
    ok(morphex(), {at("small.gif"), at("small.png")});
    const QRgb black = qRgb(0, 0, 0);
    QImage expected = filled(2, 2, Qt::white);
    expected.setPixel(0, 0, black), expected.setPixel(1, 1, black);
    EXPECT_EQ(offPixels(read(at("small.png")), expected), 0);

    // No colour table anywhere: code size 2 gives the ramp 0, 85, 170, 255.
    GifLayout bare{4, 1, 0, 0, 4, 1, {3, 2, 1, 0}, {0xff0000, 0x00ff00, 0x0000ff, 0xffffff}, true};
    std::ofstream(at("bare.gif"), std::ios::binary) << GifFileBytes(bare);
    ok(morphex(), {at("bare.gif"), at("bare.png")});
    EXPECT_EQ(offPixels(read(at("bare.png")), row({qRgb(255, 255, 255), qRgb(170, 170, 170), qRgb(85, 85, 85),
                                                   qRgb(0, 0, 0)})), 0);
}

}  // namespace
}  // namespace pivra::test
