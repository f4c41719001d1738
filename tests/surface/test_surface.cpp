// Surfaces against pixels worked out by hand, BMPs written byte by byte, JPEGs against Qt's decoder.
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

// Every face pixel tells where it came from: red = column, green = row, blue = 7.
std::uint32_t Face(int x, int y) { return static_cast<std::uint32_t>(x << 16 | y << 8 | 7); }

void MakeFace(CDIBSection& face, int w, int h, int channels = 3) {
    ASSERT_TRUE(face.Create(w, h, channels));
    for (int i = 0; i < w * h; ++i) {
        std::uint8_t* p = face.hDib()->row(i / w) + i % w * channels;
        p[0] = 7, p[1] = static_cast<std::uint8_t>(i / w), p[2] = static_cast<std::uint8_t>(i % w);
    }
}

TEST(Surface, CreatePadsRowsToFourBytesAndRefusesSizesBeyondTheLimits) {
    struct Case { std::int32_t w, h, channels, gotChannels = 0, rowBytes = 0; };  // rowBytes 0: refused
    CDIBSection s;
    for (const Case c : {Case{1, 7, 3, 3, 4}, {2, 7, 3, 3, 8}, {5, 7, 3, 3, 16}, {192, 7, 3, 3, 576}, {5, 7, 4, 4, 20},
                         {3, 7, 1, 4, 12}, {3, 7, 0, 4, 12},  // anything but 3 channels is 32 bits
                         {0, 5, 3}, {5, 0, 3}, {-3, 5, 3}, {5, -3, 3},
                         {16384, 32768, 4},  // exactly 2^31 bytes
                         {INT32_MAX, 1, 3}, {1 << 20, 1 << 20, 3}}) {  // the row alone does not fit; the count wraps
        EXPECT_EQ(s.Create(c.w, c.h, c.channels), c.rowBytes > 0) << c.w << " x " << c.h;
        if (c.rowBytes == 0) { ExpectEmpty(s); continue; }
        EXPECT_EQ(std::make_pair(s.dib_channels(), s.BytesPerScanLine()), std::make_pair(c.gotChannels, c.rowBytes));
        EXPECT_EQ(Bytes(s), std::vector<std::uint8_t>(static_cast<std::size_t>(c.rowBytes * c.h), 0)) << c.w;
        std::fill_n(s.DIBSectionBitsPtr(), c.rowBytes * c.h, 0xff);  // the next Create keeps none of it
    }
}

// The face squeezed to |nPix| columns of a 192 square, drawn from (192 - |nPix|) / 2,
// halves going to the even neighbour; each column shows the face column nearest its centre.
TEST(Surface, RotateSqueezesTheFaceIntoTheMiddle) {
    struct Case { std::int16_t nPix; int first, last, firstShows, lastShows; };
    const Case cases[] = {
        {37, 78, 114, 2, 189},   // 155 / 2 goes to 78; 0.5 * 192 / 37 = 2.6, 36.5 * 192 / 37 = 189.4
        {39, 76, 114, 2, 189},   // 153 / 2 goes to 76
        {-37, 78, 114, 2, 189},  // the sign is ignored
        {192, 0, 191, 0, 191},   {384, 0, 191, 48, 143},  // drawn from -96: the middle half shows
        {197, 0, 191, 2, 188},   // -5 / 2 goes to -2: column 0 is column 2 of 197
        {0, 0, -1, 0, 0},        {INT16_MIN, 0, -1, 0, 0},  // |nPix| does not fit in 16 bits
    };
    CDIBSection face, frame;
    MakeFace(face, 192, 192);
    for (const Case& c : cases) {
        face.rotate(frame, c.nPix, 192);
        ASSERT_EQ(Shape(frame), std::make_tuple(192, 192, 3));
        int drawn = 0;
        for (int x = 0; x < 192; ++x) drawn += PixelAt(frame, x, 191) != 0;
        EXPECT_EQ(drawn, c.last - c.first + 1) << c.nPix;
        if (drawn == 0) continue;
        EXPECT_EQ(std::make_pair(PixelAt(frame, c.first, 191), PixelAt(frame, c.last, 191)),
                  std::make_pair(Face(c.firstShows, 191), Face(c.lastShows, 191))) << c.nPix;
    }
}

// Each pixel of the square takes the source pixel nearest its centre, never a blend; the aspect is not kept.
TEST(Surface, CopyStretchesToTheNearestPixel) {
    struct Case { int w, h, channels, side; std::vector<int> cols, rows; };
    for (const Case& c : {Case{4, 4, 3, 2, {1, 3}, {1, 3}},                  // centres 1 and 3
                          Case{2, 2, 3, 5, {0, 0, 1, 1, 1}, {0, 0, 1, 1, 1}},  // 0.2 0.6 1.0 1.4 1.8
                          Case{6, 2, 4, 3, {1, 3, 5}, {0, 1, 1}}}) {           // rows 0.33 1.0 1.67
        CDIBSection src, dest;
        MakeFace(src, c.w, c.h, c.channels);
        src.Copy(dest, static_cast<std::int16_t>(c.side));
        ASSERT_EQ(Shape(dest), std::make_tuple(c.side, c.side, c.channels));
        for (int i = 0; i < c.side * c.side; ++i)
            EXPECT_EQ(PixelAt(dest, i % c.side, i / c.side), Face(c.cols[i % c.side], c.rows[i / c.side])) << c.side << ": " << i;
    }
}

TEST(Surface, MaskAndsOverTheOverlapOnly) {
    CDIBSection face, mask, empty;
    ASSERT_TRUE(face.Create(6, 6, 4));
    ASSERT_TRUE(mask.Create(3, 2, 3));  // smaller, and 24 bits against 32
    std::fill_n(face.DIBSectionBitsPtr(), 6 * 6 * 4, 0xc3);
    const std::vector<std::uint8_t> maskBytes = {0, 0xff, 0, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0,  // bottom row first
                                                 0xff, 0xff, 0xff, 0, 0, 0, 0x0f, 0x0f, 0x0f, 0, 0, 0};
    std::copy(maskBytes.begin(), maskBytes.end(), mask.DIBSectionBitsPtr());
    face.Mask(mask);
    face.Mask(empty), empty.Mask(face);  // nothing to read, nothing to draw into
    const std::uint32_t k = 0xc3c3c3, anded[2][3] = {{k, 0, 0x030303}, {0x00c300, k, 0}};
    for (int i = 0; i < 36; ++i) EXPECT_EQ(PixelAt(face, i % 6, i / 6), i % 6 < 3 && i < 12 ? anded[i / 6][i % 6] : k) << i;
    EXPECT_EQ(Bytes(mask), maskBytes);  // the mask is only read
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
    test::RecordingNotifier notifier;
    ReportJpegError("ctx", 7);  // a code without a text keeps both separators
    ExpectShown(notifier, "IJL ERROR: [7] -  - ctx", 48, "Intel(R) JPEG Library");
}

}  // namespace
}  // namespace pivra
