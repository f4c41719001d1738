// The window's picture readers: BMPs written byte by byte, JPEGs against Qt's decoder, and what each refuses.
#include <gtest/gtest.h>

#include <QImageReader>

#include <algorithm>
#include <tuple>

#include "PictureBytes.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "surface/IjlEntryPoints.h"
#include "surface/JpegReader.h"

namespace pivra {
namespace {

using namespace ijl;
constexpr std::uint32_t R = 0xff0000, G = 0x00ff00, B = 0x0000ff;

std::uint32_t PixelAt(const CDIBSection& dib, int x, int y) {  // 0xRRGGBB, from the top left
    const std::uint8_t* p = dib.hDib()->row(y) + x * dib.hDib()->bytesPerPixel();
    return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}
std::tuple<int, int, int> Shape(const CDIBSection& d) { return {d.dib_width(), d.dib_height(), d.dib_channels()}; }

std::vector<std::uint8_t> Bytes(const CDIBSection& d) {  // every stored byte, row filler included
    return {d.hDib()->bits(), d.hDib()->bits() + d.hDib()->byteCount()};
}

void ExpectEmpty(const CDIBSection& dib) {
    EXPECT_TRUE(!dib.hDC() && !dib.hDib() && !dib.DIBSectionBitsPtr() && dib.BytesPerScanLine() == 0);
    EXPECT_EQ(Shape(dib), std::make_tuple(0, 0, 0));
}

void ExpectShown(const test::RecordingNotifier& n, const std::string& prompt, int style, const std::string& title) {
    ASSERT_EQ(n.shown.size(), prompt.empty() ? 0u : 1u) << (n.shown.empty() ? "" : n.shown[0].prompt);
    for (const auto& m : n.shown) EXPECT_EQ(std::tie(m.prompt, m.style, m.title), std::tie(prompt, style, title));
}

// Qt decodes the file; the surface keeps its pixels as 24 bits, bottom row last, a 32-bit file's alpha dropped.
// Anything else shows the message and leaves the surface empty.
TEST(BmpLoad, FilesBecomeTheStoredPixelsIn24BitsOrAreRefused) {
    struct Case { std::string name; std::vector<std::uint8_t> bytes; int w, h; std::vector<std::uint32_t> topDown; };
    const Case cases[] = {
        {"8-bit.bmp", test::BmpFileBytes({3, 2, 8, 0, {0x102030, R, G, B}, {}, {0, 3, 1, 0, 1, 2, 3, 0}}), 3, 2,
         {R, G, B, 0x102030, B, R}},
        {"24-bit.bmp", test::BmpFileBytes({3, 2, 24, 0, {}, {}, {0xc0, 0xb0, 0xa0, 0xf0, 0xe0, 0xd0, 0xff, 0xff, 0xff,
                                                                 0, 0, 0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0}}), 3, 2,
         {0x010203, 0x040506, 0x070809, 0xa0b0c0, 0xd0e0f0, 0xffffff}},
        {"32-bit.bmp", test::BmpFileBytes({2, 1, 32, 0, {}, {}, {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0}}), 2, 1,
         {0x332211, 0x665544}},
        {"text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'}, 0, 0, {}}, {"empty.bmp", {}, 0, 0, {}},
        {"missing.bmp", {}, 0, 0, {}}, {"picture.png", {}, 0, 0, {}},  // a picture, but not a BMP
    };
    test::TempFolder dir("surface-bmp");
    ASSERT_TRUE(test::WriteSolidPicture(dir / "picture.png", 4, 4, Qt::red));
    for (const Case& c : cases) {
        if (c.name.find("bmp") != std::string::npos && c.name != "missing.bmp") test::WriteFile(dir / c.name, c.bytes);
        test::RecordingNotifier notifier;
        CDIBSection dib;
        ASSERT_TRUE(dib.Create(4, 4, 3));  // whatever was there goes
        EXPECT_EQ(dib.Load(dir / c.name), !c.topDown.empty()) << c.name;
        ExpectShown(notifier, c.topDown.empty() ? "Can't load BMP image" : "", 0, "PIVRA");
        if (c.topDown.empty()) { ExpectEmpty(dib); continue; }
        ASSERT_EQ(Shape(dib), std::make_tuple(c.w, c.h, 3)) << c.name;
        for (int i = 0; i < c.w * c.h; ++i)
            EXPECT_EQ(PixelAt(dib, i % c.w, i / c.w), c.topDown[i]) << c.name << ": " << i;
    }
}

// Counts the reader's calls into the shim; ijlInit can be made to fail.
struct Spy {
    static inline int inits = 0, frees = 0;
    static inline IJLERR initStatus = IJL_OK;
    static void Reset(IJLERR status = IJL_OK) { inits = frees = 0, initStatus = status; }
    static IJLERR Init(JPEG_CORE_PROPERTIES* p) { return ++inits, initStatus != IJL_OK ? initStatus : ijlInit(p); }
    static IJLERR Free(JPEG_CORE_PROPERTIES* p) { return ++frees, ijlFree(p); }
};
const IjlEntryPoints kSpy{Spy::Init, ijlRead, Spy::Free, ijlErrorStr};

TEST(JpegReader, DecodesAsQtDoesAtEveryReadMode) {
    struct Case { int w, h, components, factor, outW, outH, tolerance; bool progressive; };
    test::TempFolder dir("surface-jpeg");
    const ScopedIjlEntryPoints spy(kSpy);
    for (const Case& c : {Case{101, 75, 3, 1, 101, 75, 2, false}, {64, 48, 3, 2, 32, 24, 2, false},
                          {64, 48, 3, 4, 16, 12, 2, false}, {64, 48, 3, 8, 8, 6, 2, false},
                          {101, 75, 3, 8, 13, 10, 16, false},  // rounded up; Qt scales a quarter size itself
                          {40, 24, 3, 3, 40, 24, 2, false},    // other factors read the whole picture
                          {40, 24, 3, 1, 40, 24, 2, true}, {17, 9, 1, 1, 17, 9, 2, false}}) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << "x" << c.components << " / " << c.factor);
        test::JpegSource source = test::SmoothPicture(c.w, c.h, c.components);
        source.progressive = c.progressive;
        test::WriteFile(dir / "ImagA.jpg", test::EncodeJpeg(source));
        Spy::Reset();
        CDIBSection dib;
        ASSERT_TRUE(ReadJpegFile(dib, dir / "ImagA.jpg", c.factor));
        EXPECT_EQ(std::make_pair(Spy::inits, Spy::frees), std::make_pair(1, 1));
        ASSERT_EQ(Shape(dib), std::make_tuple(c.outW, c.outH, 3));
        QImageReader reader(QString::fromStdString(dir / "ImagA.jpg"), "jpeg");
        reader.setScaledSize(QSize(c.outW, c.outH));
        const QImage reference = reader.read();
        int off = 0, notGrey = 0;
        for (int i = 0; i < c.outW * c.outH; ++i) {
            const std::uint32_t p = PixelAt(dib, i % c.outW, i / c.outW);
            off += !test::CloseColour(reference.pixel(i % c.outW, i / c.outW), QColor::fromRgb(p), c.tolerance);
            notGrey += c.components == 1 && p != (p & 0xff) * 0x010101;  // grey comes out as equal blue, green, red
        }
        EXPECT_EQ(std::make_pair(off, notGrey), std::make_pair(0, 0)) << "pixels off, not grey";
    }
}

TEST(JpegReader, FailuresShowTheLibraryMessageAndFreeOnce) {
    const std::vector<std::uint8_t> good = test::EncodeJpeg(test::SmoothPicture(64, 64));
    std::vector<std::uint8_t> huge = test::EncodeJpeg(test::SmoothPicture(8, 8));  // frame header made to claim 65000 x 65000
    const auto frame = std::adjacent_find(huge.begin(), huge.end(), [](int a, int b) { return a == 255 && b == 0xc0; });
    ASSERT_NE(frame, huge.end());
    for (int i = 5; i < 9; ++i) frame[i] = i % 2 ? 0xfd : 0xe8;
    // No bytes never reach the library. side: -1 the earlier picture stays, 0 the surface is emptied, n a new n x n one.
    struct Case { const char* name; std::vector<std::uint8_t> bytes; std::string prompt; int frees, side; IJLERR init; };
    const Case cases[] = {
        {"missing", {}, "", 0, -1, IJL_OK},
        {"empty", {}, "", 0, -1, IJL_OK},
        {"a BMP", test::BmpFileBytes({2, 2, 24, 0, {}, {}, std::vector<std::uint8_t>(16)}),
         "IJL ERROR: [-5] - The data is not a JPEG image - FAILED TO READ IMAGE PARAMS - ", 1, -1, IJL_OK},
        {"cut", {good.begin(), good.begin() + good.size() / 2},
         "IJL ERROR: [-6] - The JPEG data ends before the picture is complete - FAILED TO READ IMAGE DATA - ", 1, 64, IJL_OK},
        {"CMYK", test::EncodeJpeg(test::SmoothPicture(16, 16, 4)),
         "IJL ERROR: [-11] - The JPEG colour layout cannot be converted to the destination - FAILED TO READ IMAGE DATA - ", 1, 16, IJL_OK},
        {"too large for a surface", huge, "", 1, 0, IJL_OK},
        {"no decoder", good, "IJL ERROR: [-9] - Not enough memory to decode the JPEG - Failed to initialise the IJL library: ",
         0, -1, IJL_OUT_OF_MEMORY},
    };
    test::TempFolder dir("surface-jpeg");
    const ScopedIjlEntryPoints spy(kSpy);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.name != std::string("missing")) test::WriteFile(dir / c.name, c.bytes);
        Spy::Reset(c.init);
        test::RecordingNotifier notifier;
        CDIBSection dib;
        ASSERT_TRUE(dib.Create(3, 3, 3));
        std::fill_n(dib.DIBSectionBitsPtr(), 36, 9);
        EXPECT_FALSE(ReadJpegFile(dib, dir / c.name, 1));
        ExpectShown(notifier, c.prompt, 48, "Intel(R) JPEG Library");
        EXPECT_EQ(std::make_pair(Spy::inits, Spy::frees), std::make_pair(c.bytes.empty() ? 0 : 1, c.frees));
        if (c.side < 0) { EXPECT_EQ(Bytes(dib), std::vector<std::uint8_t>(36, 9)); }
        if (c.side == 0) ExpectEmpty(dib);
        if (c.side > 0) { EXPECT_EQ(Shape(dib), std::make_tuple(c.side, c.side, 3)); }
    }
}

}  // namespace
}  // namespace pivra
