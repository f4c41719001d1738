// Surfaces made, rotated, stretched, masked and painted, against pixels worked out by hand;
// BMPs of every depth written byte by byte; JPEGs at every read mode against Qt's decoder;
// every failure with its exact message and the surface it leaves.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <tuple>

#include "PictureBytes.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "surface/IjlEntryPoints.h"
#include "surface/JpegReader.h"
#include "surface/PaneCanvas.h"

namespace pivra {
namespace {

using namespace ijl;
constexpr std::uint32_t R = 0xff0000, G = 0x00ff00, B = 0x0000ff, Y = 0xffff00;

// Pixels are 0xRRGGBB, counted from the top left as the blits count them.
std::uint32_t PixelAt(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.row(y) + x * bitmap.bytesPerPixel();
    return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}
std::uint32_t PixelAt(const CDIBSection& dib, int x, int y) { return PixelAt(*dib.hDib(), x, y); }
std::tuple<int, int, int> Shape(const CDIBSection& d) { return {d.dib_width(), d.dib_height(), d.dib_channels()}; }

// Every stored byte, row filler included.
std::vector<std::uint8_t> Bytes(const CDIBSection& dib) {
    const Bitmap* b = dib.hDib();
    return b ? std::vector<std::uint8_t>(b->bits(), b->bits() + b->byteCount()) : std::vector<std::uint8_t>{};
}

void ExpectEmpty(const CDIBSection& dib) {
    EXPECT_TRUE(!dib.hDC() && !dib.hDib() && !dib.DIBSectionBitsPtr() && dib.BytesPerScanLine() == 0);
    EXPECT_EQ(Shape(dib), std::make_tuple(0, 0, 0));
}

// The one message the user was shown, or none when prompt is empty.
void ExpectShown(const test::RecordingNotifier& n, const std::string& prompt, int style, const std::string& title) {
    ASSERT_EQ(n.shown.size(), prompt.empty() ? 0u : 1u) << (n.shown.empty() ? "" : n.shown[0].prompt);
    for (const auto& m : n.shown) EXPECT_EQ(std::tie(m.prompt, m.style, m.title), std::tie(prompt, style, title));
}

// Every face pixel tells where it came from: red = column, green = row, blue = 7.
std::uint32_t Face(int x, int y) { return static_cast<std::uint32_t>(x << 16 | y << 8 | 7); }

void MakeFace(CDIBSection& face, int width, int height, int channels = 3) {
    ASSERT_TRUE(face.Create(width, height, channels));
    for (int i = 0; i < width * height; ++i) {
        std::uint8_t* p = face.hDib()->row(i / width) + i % width * channels;
        p[0] = 7, p[1] = static_cast<std::uint8_t>(i / width), p[2] = static_cast<std::uint8_t>(i % width);
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

// Blocks of a 4 x 4 face painted unscaled into a 5 x 5 pane; whatever falls
// outside either is cut off, and only a drawing asks for a repaint.
TEST(Surface, PaintPictureClipsToBothSurfaces) {
    struct Case { std::int32_t dx, dy, w, h, sx, sy, rop; int left, top, right, bottom; };  // pane pixels drawn
    const Case cases[] = {
        {0, 0, -1, -1, 0, 0, SRCCOPY, 0, 0, 4, 4},  // negative sizes mean the face's own
        {3, 3, 2, 1, 1, 2, SRCCOPY, 3, 3, 5, 4},
        {-2, 3, 1000, 1000, 0, 0, SRCCOPY, 0, 3, 2, 5},
        {0, 0, 3, 1, -1, 0, SRCCOPY, 1, 0, 3, 1},  // source column -1 is not there
        {1, 1, 4, 4, 3, 3, SRCCOPY, 1, 1, 2, 2},   // the source runs out after one pixel
        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, SRCCOPY, 0, 0, 0, 0},
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, SRCCOPY, 0, 0, 0, 0},
        {0, 0, -1, -1, 0, 0, 0x660046, 0, 0, 0, 0},  // XOR is not one of ours
    };
    CDIBSection face;
    MakeFace(face, 4, 4);
    for (const Case& c : cases) {
        int repaints = -1;  // resize asks for one
        PaneCanvas pane([&] { ++repaints; });
        ASSERT_TRUE(pane.resize(5, 5));
        face.PaintPicture(pane.hDC(), c.dx, c.dy, c.w, c.h, c.sx, c.sy, c.rop);
        EXPECT_EQ(repaints, c.right > c.left ? 1 : 0) << "case " << &c - cases;
        for (int i = 0; i < 25; ++i) {
            const int x = i % 5, y = i / 5;
            const bool in = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
            EXPECT_EQ(PixelAt(*pane.picture(), x, y), in ? Face(x - c.dx + c.sx, y - c.dy + c.sy) : 0u) << &c - cases << "/" << i;
        }
    }
}

TEST(Surface, EmptySurfacesDrawNothingAndASurfaceCanPaintOntoItself) {
    CDIBSection empty, face, square;
    empty.Copy(square, 24);  // an empty source gives a black 32-bit square
    EXPECT_EQ(Bytes(square), std::vector<std::uint8_t>(24 * 24 * 4, 0));
    MakeFace(face, 4, 4);
    face.PaintPicture(nullptr);
    face.PaintPicture(face.hDC(), 1, 1);  // reads the pixels as they were, not as they are being overwritten
    EXPECT_EQ(std::make_tuple(PixelAt(face, 0, 0), PixelAt(face, 1, 1), PixelAt(face, 3, 3)),
              std::make_tuple(Face(0, 0), Face(0, 0), Face(2, 2)));
}

TEST(BmpLoad, EveryDepthGivesTheStoredPixels) {
    struct Case { test::BmpLayout layout; std::vector<std::uint32_t> topDown; };
    const std::vector<std::uint8_t> bottomUp = {0xc0, 0xb0, 0xa0, 0xf0, 0xe0, 0xd0, 0xff, 0xff, 0xff, 0, 0, 0,
                                                3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
    const std::vector<std::uint32_t> picture = {0x010203, 0x040506, 0x070809, 0xa0b0c0, 0xd0e0f0, 0xffffff};
    const Case cases[] = {
        {{10, 2, 1, 0, {0, Y}, {}, {0x55, 0x40, 0, 0, 0xaa, 0x80, 0, 0}},  // bottom row 0101010101, top 1010101010
         {Y, 0, Y, 0, Y, 0, Y, 0, Y, 0, 0, Y, 0, Y, 0, Y, 0, Y, 0, Y}},
        {{3, 1, 4, 0, {0, 0x112233, 0x445566, 0x778899}, {}, {0x12, 0x30, 0, 0}}, {0x112233, 0x445566, 0x778899}},
        {{3, 2, 8, 0, {0x102030, R, G, B}, {}, {0, 3, 1, 0, 1, 2, 3, 0}}, {R, G, B, 0x102030, B, R}},
        // RLE8 bottom: a run of four 1s, end of line; top: four literal pixels, end of bitmap
        {{4, 2, 8, 1, {0, R, G, B}, {}, {4, 1, 0, 0, 0, 4, 2, 3, 2, 3, 0, 1}}, {G, B, G, B, R, R, R, R}},
        {{5, 1, 4, 2, {0, 0x808080, 0xff00ff}, {}, {5, 0x12, 0, 1}}, {0x808080, 0xff00ff, 0x808080, 0xff00ff, 0x808080}},
        // 16-bit channels widen by shifting: a full 5-bit channel is 248, a full 6-bit one 252
        {{3, 1, 16, 0, {}, {}, {0x00, 0x7c, 0xe0, 0x03, 0xff, 0x7f, 0, 0}}, {0xf80000, 0x00f800, 0xf8f8f8}},
        {{2, 1, 16, 3, {}, {0xf800, 0x07e0, 0x001f}, {0x1f, 0x00, 0xe0, 0x07}}, {0x0000f8, 0x00fc00}},
        {{3, 2, 24, 0, {}, {}, bottomUp}, picture},
        {{3, -2, 24, 0, {}, {}, {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,  // top-down
                                 0xc0, 0xb0, 0xa0, 0xf0, 0xe0, 0xd0, 0xff, 0xff, 0xff, 0, 0, 0}}, picture},
        {{2, 1, 32, 0, {}, {}, {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0}}, {0x332211, 0x665544}},
    };
    test::TempFolder dir("surface-bmp");
    for (const Case& c : cases) {
        const int w = c.layout.width, h = c.layout.height < 0 ? -c.layout.height : c.layout.height;
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        test::WriteFile(dir / "picture.bmp", test::BmpFileBytes(c.layout));
        CDIBSection dib;
        ASSERT_TRUE(dib.Load(dir / "picture.bmp"));
        ASSERT_EQ(Shape(dib), std::make_tuple(w, h, 3));
        for (int i = 0; i < w * h; ++i) EXPECT_EQ(PixelAt(dib, i % w, i / w), c.topDown[i]) << "pixel " << i;
    }
}

TEST(BmpLoad, AnythingElseShowsTheMessageAndLeavesTheSurfaceEmpty) {
    test::TempFolder dir("surface-bmp");
    const std::vector<std::uint8_t> bmp = test::BmpFileBytes({3, 2, 24, 0, {}, {}, std::vector<std::uint8_t>(24)});
    test::WriteFile(dir / "cut.bmp", {bmp.begin(), bmp.begin() + 30});  // ends inside the info header
    test::WriteFile(dir / "text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
    test::WriteFile(dir / "empty.bmp", {});
    test::WriteFile(dir / "huge.bmp", test::BmpFileBytes({100000, 100000, 24, 0, {}, {}, {0, 0, 0, 0}}));
    ASSERT_TRUE(test::WriteSolidPicture(dir / "picture.png", 4, 4, Qt::red));  // a picture, but not a BMP
    for (const char* name : {"missing.bmp", "cut.bmp", "text.bmp", "empty.bmp", "huge.bmp", "picture.png"}) {
        test::RecordingNotifier notifier;
        CDIBSection dib;
        ASSERT_TRUE(dib.Create(4, 4, 3));  // whatever was there goes
        EXPECT_FALSE(dib.Load(dir / name)) << name;
        ExpectShown(notifier, "Can't load BMP image", 0, "PIVRA");
        ExpectEmpty(dib);
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
    for (const Case& c : {Case{101, 75, 3, 1, 101, 75, 2, false}, {64, 48, 3, 2, 32, 24, 2, false},
                          {64, 48, 3, 4, 16, 12, 2, false}, {64, 48, 3, 8, 8, 6, 2, false},
                          {101, 75, 3, 8, 13, 10, 16, false},  // rounded up; Qt scales a quarter size itself
                          {40, 24, 3, 3, 40, 24, 2, false},    // other factors read the whole picture
                          {40, 24, 3, 1, 40, 24, 2, true}, {17, 9, 1, 1, 17, 9, 2, false}}) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << "x" << c.components << " / " << c.factor);
        test::JpegSource source = test::SmoothPicture(c.w, c.h, c.components);
        source.progressive = c.progressive;
        const std::vector<std::uint8_t> jpeg = test::EncodeJpeg(source);
        test::TempFolder dir("surface-jpeg");
        test::WriteFile(dir / "ImagA.jpg", jpeg);
        const ScopedIjlEntryPoints spy(kSpy);
        Spy::Reset();
        CDIBSection dib;
        ASSERT_TRUE(ReadJpegFile(dib, dir / "ImagA.jpg", c.factor));
        EXPECT_EQ(std::make_pair(Spy::inits, Spy::frees), std::make_pair(1, 1));
        ASSERT_EQ(Shape(dib), std::make_tuple(c.outW, c.outH, 3));
        QBuffer buffer;
        buffer.setData(reinterpret_cast<const char*>(jpeg.data()), static_cast<qsizetype>(jpeg.size()));
        QImageReader reader(&buffer, "jpeg");
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
    std::vector<std::uint8_t> huge = test::EncodeJpeg(test::SmoothPicture(8, 8));
    // The frame header: FF C0, length, precision, height, width; made to claim 65000 x 65000.
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

// The shim refuses picture memory that does not match the data, and writes
// only the picture's rows, bottom-up as the reader asks.
TEST(IjlShim, RefusesMismatchedMemoryAndLeavesTheRowFillerAlone) {
    test::JpegSource s{5, 16, 1, std::vector<std::uint8_t>(80, 0)};
    std::fill_n(s.pixels.begin(), 40, 255);  // top half white
    const std::vector<std::uint8_t> jpeg = test::EncodeJpeg(s);
    std::vector<std::uint8_t> memory(18 * 16, 0xaa);  // rows of 15 bytes and 3 filler
    JPEG_CORE_PROPERTIES p{};
    ASSERT_EQ(ijlInit(&p), IJL_OK);
    p.JPGBytes = jpeg.data(), p.JPGSizeBytes = static_cast<std::int32_t>(jpeg.size());
    p.DIBBytes = memory.data(), p.DIBWidth = 4, p.DIBHeight = -16, p.DIBPadBytes = 3;
    EXPECT_EQ(ijlRead(&p, IJL_JBUFF_READWHOLEIMAGE), IJL_INVALID_DIB);  // the data is 5 wide
    p.DIBWidth = 5;
    ASSERT_EQ(ijlRead(&p, IJL_JBUFF_READWHOLEIMAGE), IJL_OK);
    for (std::size_t i = 0; i < memory.size(); ++i)
        EXPECT_NEAR(memory[i], i % 18 >= 15 ? 0xaa : i >= 18 * 8 ? 255 : 0, i % 18 >= 15 ? 0 : 4) << "byte " << i;
    EXPECT_EQ(ijlFree(&p), IJL_OK);
    EXPECT_EQ(ijlFree(&p), IJL_OK);  // twice is harmless
}

}  // namespace
}  // namespace pivra
