// What the libraries decode, pixel for pixel against Qt's readers or hand-computed values: every BMP kind
// (after pictures whose freed memory an unwritten alpha channel would show), a GIF without colours.
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

// Rows bottom-up, padded to four bytes: band indices at `bits` <= 8 a pixel (packed from the high bits),
// or the band colours at 16 (5-6-5), 24 or 32 bits, little-endian.
std::vector<std::uint8_t> bmpRows(int bits, int bands) {
    std::vector<std::uint8_t> out;
    for (int y = kSide - 1; y >= 0; --y) {
        std::vector<std::uint8_t> line((kSide * bits / 8 + 3) / 4 * 4, 0);
        for (int x = 0; x < kSide; ++x) {
            const std::uint32_t band = bandAt(x, y, bands), c = bandColour(band);
            const std::uint32_t v = bits <= 8 ? band : bits > 16 ? c : (c >> 19) << 11 | (c >> 10 & 63) << 5 | (c >> 3 & 31);
            if (bits < 8) line[x * bits / 8] |= std::uint8_t(v << (8 - bits - x * bits % 8));
            else for (int b = 0; b < bits / 8; ++b) line[x * bits / 8 + b] = std::uint8_t(v >> 8 * b);
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

// RLE8: one run per band within each row, then end of line; end of bitmap.
std::vector<std::uint8_t> rle8Rows() {
    std::vector<std::uint8_t> out;
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; x += 4) out.insert(out.end(), {4, std::uint8_t(bandAt(x, y, 16))});
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

std::vector<std::uint32_t> bandPalette(int bands) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < bands; ++i) palette.push_back(bandColour(i));
    return palette;
}

TEST_F(Decoder, EveryBmpKindAfterOtherPicturesMatchesQt) {
    const std::pair<std::string, BmpLayout> ours[] = {
        {"pal1.bmp", {kSide, kSide, 1, 0, bandPalette(2), {}, bmpRows(1, 2)}},
        {"pal4.bmp", {kSide, kSide, 4, 0, bandPalette(16), {}, bmpRows(4, 16)}},
        {"pal8.bmp", {kSide, kSide, 8, 0, bandPalette(16), {}, bmpRows(8, 16)}},
        {"rle8.bmp", {kSide, kSide, 8, 1, bandPalette(16), {}, rle8Rows()}},
        {"rgb565.bmp", {kSide, kSide, 16, 3, {}, {0xf800, 0x07e0, 0x001f}, bmpRows(16, 16)}},
        {"rgb24.bmp", {kSide, kSide, 24, 0, {}, {}, bmpRows(24, 16)}},
        {"rgb32.bmp", {kSide, kSide, 32, 0, {}, {}, bmpRows(32, 16)}}};
    std::vector<std::string> bmps;
    for (const auto& [name, layout] : ours) WriteFile(at(name), BmpFileBytes(layout)), bmps.push_back(at(name));
    QImage grey(300, 200, QImage::Format_Grayscale8);
    grey.fill(90);
    ok(morphex(), {save(grey, "head.jpg"), "-geometry", "120X120!", at("head.gif")});
    ok(morphex(), {save(filled(200, 200, qRgba(10, 20, 30, 0)), "clear.png"), at("clear.gif")});
    for (const std::string& bmp : bmps) {
        const QImage expected = read(bmp);
        ASSERT_EQ(expected.size(), QSize(kSide, kSide)) << bmp;
        for (int pass = 0; pass < 2; ++pass) {  // the same file twice gives the same pixels
            ok(morphex(), {bmp, at("tail.png")});
            const int tolerance = bmp.find("rgb565") != std::string::npos ? 8 : 0;  // 5-bit channels vary
            EXPECT_EQ(offPixels(read(at("tail.png")), expected, tolerance), 0) << bmp << " pass " << pass;
            ok(morphex(), {bmp, "-geometry", "48X48!", at("tail.gif")});
            const QImage resized = read(at("tail.gif"));
            EXPECT_EQ(offPixels(resized, resized.convertToFormat(QImage::Format_RGB32).convertToFormat(
                QImage::Format_ARGB32)), 0) << bmp << " pass " << pass;  // opaque everywhere
        }
    }
}

TEST_F(Decoder, AGifWithoutColourTableIsAGreyRamp) {
    // No colour table anywhere: code size 2 gives the ramp 0, 85, 170, 255.
    std::ofstream(at("bare.gif"), std::ios::binary)
        << GifFileBytes({4, 1, 0, 0, 4, 1, {3, 2, 1, 0}, {0xff0000, 0x00ff00, 0x0000ff, 0xffffff}, true});
    ok(morphex(), {at("bare.gif"), at("bare.png")});
    const QImage bare = read(at("bare.png"));
    ASSERT_EQ(bare.size(), QSize(4, 1));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bare.pixel(x, 0), qRgb(255 - 85 * x, 255 - 85 * x, 255 - 85 * x)) << x;
}

}  // namespace
}  // namespace pivra::test
