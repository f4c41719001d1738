// rotate, Copy, Mask and PaintPicture against hand-worked pixel positions,
// and the blits' clipping against surfaces of the wrong size.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "SurfacePixels.h"
#include "surface/Blit.h"
#include "surface/DibSection.h"
#include "surface/PaneCanvas.h"

namespace pivra {
namespace {

using test::Bgr;
using test::PixelAt;
using test::Rgb;

// Every pixel tells where it came from: red = column, green = row, blue = 7.
void MakeFace(CDIBSection& face, int side, int channels = 3) {
    ASSERT_TRUE(face.Create(side, side, channels));
    test::Fill(face, [](int x, int y) { return Bgr{7, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)}; });
}

std::vector<std::uint8_t> Bytes(const CDIBSection& s) {
    return std::vector<std::uint8_t>(s.hDib()->bits(), s.hDib()->bits() + s.hDib()->byteCount());
}

TEST(SurfaceRotate, ThirtySevenWideLandsAtSeventyEight) {
    CDIBSection face, frame;
    MakeFace(face, 192);
    face.rotate(frame, 37, 192);
    ASSERT_EQ(frame.dib_width(), 192);
    ASSERT_EQ(frame.dib_height(), 192);
    EXPECT_EQ(frame.dib_channels(), 3);
    for (int y : {0, 95, 191}) {
        EXPECT_EQ(PixelAt(frame, 77, y), Bgr{}) << y;
        EXPECT_EQ(PixelAt(frame, 78, y), (Bgr{7, static_cast<std::uint8_t>(y), 2})) << y;  // (0.5 * 192 / 37) = 2.6
        EXPECT_EQ(PixelAt(frame, 114, y), (Bgr{7, static_cast<std::uint8_t>(y), 189})) << y;  // (36.5 * 192 / 37) = 189.4
        EXPECT_EQ(PixelAt(frame, 115, y), Bgr{}) << y;
    }
    int drawn = 0;
    for (int x = 0; x < 192; ++x) drawn += PixelAt(frame, x, 10).b == 7;
    EXPECT_EQ(drawn, 37);
}

TEST(SurfaceRotate, ThirtyNineWideLandsAtSeventySixAndTheSignIsIgnored) {
    CDIBSection face, frame, mirrored;
    MakeFace(face, 192);
    face.rotate(frame, 39, 192);
    EXPECT_EQ(PixelAt(frame, 75, 0), Bgr{});
    EXPECT_EQ(PixelAt(frame, 76, 0).b, 7);
    EXPECT_EQ(PixelAt(frame, 114, 0).b, 7);
    EXPECT_EQ(PixelAt(frame, 115, 0), Bgr{});

    face.rotate(frame, 37, 192);
    face.rotate(mirrored, -37, 192);
    EXPECT_EQ(Bytes(frame), Bytes(mirrored));
}

TEST(SurfaceRotate, ZeroWidthIsAllBlackAndFullWidthIsAnExactCopy) {
    CDIBSection face, frame;
    MakeFace(face, 192);
    face.rotate(frame, 0, 192);
    EXPECT_EQ(frame.dib_width(), 192);
    EXPECT_TRUE(test::AllZero(frame));

    face.rotate(frame, 192, 192);
    EXPECT_EQ(Bytes(frame), Bytes(face));
    face.rotate(frame, -192, 192);
    EXPECT_EQ(Bytes(frame), Bytes(face));
    face.Copy(frame, 192);
    EXPECT_EQ(Bytes(frame), Bytes(face));
}

TEST(SurfaceRotate, WiderThanTheSideIsClippedAndOutOfRangeWidthsStayBlack) {
    CDIBSection face, frame;
    MakeFace(face, 12);
    face.rotate(frame, 24, 12);  // drawn from x = -6: the middle half of the picture shows
    EXPECT_EQ(PixelAt(frame, 0, 0).r, 3);   // destination column 6 of 24 takes (6.5 * 12 / 24) = 3
    EXPECT_EQ(PixelAt(frame, 11, 0).r, 8);  // column 17: (17.5 / 2) = 8
    face.rotate(frame, INT16_MIN, 12);
    EXPECT_EQ(frame.dib_width(), 12);
    EXPECT_TRUE(test::AllZero(frame));
    face.rotate(frame, 5, -12);
    EXPECT_EQ(frame.hDib(), nullptr);
}

TEST(SurfaceCopy, EmptySourceGivesABlackThirtyTwoBitSquare) {
    CDIBSection empty, dest;
    empty.Copy(dest, 24);
    EXPECT_EQ(dest.dib_width(), 24);
    EXPECT_EQ(dest.dib_channels(), 4);
    EXPECT_TRUE(test::AllZero(dest));
    empty.rotate(dest, 12, 24);
    EXPECT_EQ(dest.dib_channels(), 4);
    EXPECT_TRUE(test::AllZero(dest));
}

TEST(SurfaceCopy, StretchKeepsTheNearestPixelNeverABlend) {
    CDIBSection src, dest;
    ASSERT_TRUE(src.Create(4, 4, 3));
    test::Fill(src, [](int x, int y) { return Bgr{static_cast<std::uint8_t>(40 * y), 0, static_cast<std::uint8_t>(40 * x)}; });
    src.Copy(dest, 2);  // centres 0.5 and 1.5 map to 1 and 3
    EXPECT_EQ(PixelAt(dest, 0, 0), (Bgr{40, 0, 40}));
    EXPECT_EQ(PixelAt(dest, 1, 0), (Bgr{40, 0, 120}));
    EXPECT_EQ(PixelAt(dest, 0, 1), (Bgr{120, 0, 40}));
    EXPECT_EQ(PixelAt(dest, 1, 1), (Bgr{120, 0, 120}));

    ASSERT_TRUE(src.Create(2, 2, 3));
    test::Fill(src, [](int x, int y) { return Rgb(x == y ? 0xffffff : 0x000000); });
    src.Copy(dest, 5);  // columns and rows 0,1 take 0; 2,3,4 take 1
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(dest, x, y), Rgb((x < 2) == (y < 2) ? 0xffffff : 0)) << x << "," << y;
}

TEST(SurfaceCopy, AspectIsNotKeptAndFormatsConvert) {
    CDIBSection wide, dest;
    ASSERT_TRUE(wide.Create(6, 2, 4));
    test::Fill(wide, [](int x, int y) { return Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9}; });
    wide.Copy(dest, 3);
    EXPECT_EQ(dest.dib_channels(), 4);
    EXPECT_EQ(PixelAt(dest, 0, 0), (Bgr{1, 0, 9}));   // (0.5 * 6 / 3) = 1, (0.5 * 2 / 3) = 0
    EXPECT_EQ(PixelAt(dest, 2, 2), (Bgr{5, 1, 9}));   // (2.5 * 2) = 5, (2.5 * 2 / 3) = 1
}

TEST(SurfaceMask, AndKeepsWhiteAndBlacksOutBlack) {
    CDIBSection face, mask;
    ASSERT_TRUE(face.Create(3, 1, 3));
    ASSERT_TRUE(mask.Create(3, 1, 3));
    test::Fill(face, [](int, int) { return Rgb(0xc3a5f0); });
    test::Fill(mask, [](int x, int) { return Rgb(x == 0 ? 0xffffff : x == 1 ? 0x000000 : 0x0f0f0f); });
    face.Mask(mask);
    EXPECT_EQ(PixelAt(face, 0, 0), Rgb(0xc3a5f0));
    EXPECT_EQ(PixelAt(face, 1, 0), Rgb(0x000000));
    EXPECT_EQ(PixelAt(face, 2, 0), Rgb(0x030500));
    EXPECT_EQ(PixelAt(mask, 2, 0), Rgb(0x0f0f0f));  // the mask is only read
}

TEST(SurfaceMask, MismatchedSurfacesOnlyTouchTheOverlap) {
    CDIBSection face, mask, empty;
    ASSERT_TRUE(face.Create(6, 6, 4));
    ASSERT_TRUE(mask.Create(2, 3, 3));  // smaller and of the other format: black
    test::Fill(face, [](int, int) { return Rgb(0xffffff); });
    face.Mask(mask);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelAt(face, x, y), Rgb(x < 2 && y < 3 ? 0 : 0xffffff)) << x << "," << y;
    face.Mask(empty);
    EXPECT_EQ(PixelAt(face, 5, 5), Rgb(0xffffff));
    empty.Mask(face);  // nothing to draw into
    EXPECT_EQ(empty.hDib(), nullptr);
}

TEST(SurfacePaint, NegativeSizesMeanTheWholeSurfaceAndExplicitSizesCut) {
    int repaints = 0;
    PaneCanvas pane([&] { ++repaints; });
    ASSERT_TRUE(pane.resize(10, 10));
    const int afterResize = repaints;
    CDIBSection face;
    MakeFace(face, 4);

    face.PaintPicture(pane.hDC(), 0, 0, -5, -1);
    EXPECT_EQ(repaints, afterResize + 1);
    const Bitmap& shown = *pane.picture();
    EXPECT_EQ(PixelAt(shown, 3, 3), (Bgr{7, 3, 3}));
    EXPECT_EQ(PixelAt(shown, 4, 0), Bgr{});
    EXPECT_EQ(shown.row(0)[3], 0);  // the unused byte of the 32-bit picture

    face.PaintPicture(pane.hDC(), 6, 6, 2, 1, 1, 2);  // a 2 x 1 block from (1, 2), not scaled
    EXPECT_EQ(PixelAt(shown, 6, 6), (Bgr{7, 2, 1}));
    EXPECT_EQ(PixelAt(shown, 7, 6), (Bgr{7, 2, 2}));
    EXPECT_EQ(PixelAt(shown, 8, 6), Bgr{});
    EXPECT_EQ(PixelAt(shown, 6, 7), Bgr{});
}

TEST(SurfacePaint, RectanglesOutsideEitherSurfaceAreClipped) {
    PaneCanvas pane;
    ASSERT_TRUE(pane.resize(5, 5));
    CDIBSection face;
    MakeFace(face, 4);
    face.PaintPicture(pane.hDC(), -2, 3, 1000, 1000);
    const Bitmap& shown = *pane.picture();
    EXPECT_EQ(PixelAt(shown, 0, 3), (Bgr{7, 0, 2}));
    EXPECT_EQ(PixelAt(shown, 1, 4), (Bgr{7, 1, 3}));
    EXPECT_EQ(PixelAt(shown, 2, 3), Bgr{});  // source column 4 does not exist
    EXPECT_EQ(PixelAt(shown, 0, 2), Bgr{});

    face.PaintPicture(pane.hDC(), 0, 0, 3, 1, -1, 0);  // source column -1 is not there
    EXPECT_EQ(PixelAt(shown, 0, 0), Bgr{});
    EXPECT_EQ(PixelAt(shown, 1, 0), (Bgr{7, 0, 0}));

    face.PaintPicture(pane.hDC(), INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    face.PaintPicture(pane.hDC(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
    EXPECT_EQ(PixelAt(shown, 1, 0), (Bgr{7, 0, 0}));
}

TEST(SurfacePaint, EmptySurfacesAndUnknownOperationsDrawNothing) {
    int repaints = 0;
    PaneCanvas pane([&] { ++repaints; });
    ASSERT_TRUE(pane.resize(3, 3));
    repaints = 0;
    CDIBSection empty, face;
    empty.PaintPicture(pane.hDC());
    MakeFace(face, 2);
    face.PaintPicture(pane.hDC(), 0, 0, -1, -1, 0, 0, 0x660046);  // XOR is not one of ours
    face.PaintPicture(nullptr);
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(PixelAt(*pane.picture(), 1, 1), Bgr{});
    EXPECT_FALSE(pane.resize(0, 3));
    EXPECT_EQ(pane.picture(), nullptr);
    face.PaintPicture(pane.hDC());
    EXPECT_EQ(repaints, 0);
}

TEST(SurfacePaint, DrawingASurfaceOntoItselfReadsTheOriginalPixels) {
    CDIBSection face;
    MakeFace(face, 4);
    face.PaintPicture(face.hDC(), 1, 1);  // overlapping shift down-right
    EXPECT_EQ(PixelAt(face, 0, 0), (Bgr{7, 0, 0}));
    EXPECT_EQ(PixelAt(face, 1, 1), (Bgr{7, 0, 0}));
    EXPECT_EQ(PixelAt(face, 3, 3), (Bgr{7, 2, 2}));
    face.rotate(face, 2, 4);  // the destination is made anew first, so nothing is drawn
    EXPECT_EQ(face.dib_width(), 4);
}

TEST(SurfaceStretch, MirroringAndEmptySizesAreRefused) {
    CDIBSection a, b;
    MakeFace(a, 4);
    ASSERT_TRUE(b.Create(4, 4, 3));
    EXPECT_FALSE(StretchBlt(b.hDC(), 0, 0, -4, 4, a.hDC(), 0, 0, 4, 4, SRCCOPY));
    EXPECT_FALSE(StretchBlt(b.hDC(), 0, 0, 4, 4, a.hDC(), 0, 0, 0, 4, SRCCOPY));
    EXPECT_FALSE(BitBlt(b.hDC(), 0, 0, 0, 4, a.hDC(), 0, 0, SRCCOPY));
    EXPECT_TRUE(test::AllZero(b));
    EXPECT_TRUE(StretchBlt(b.hDC(), 1, 1, 2, 2, a.hDC(), 0, 0, 4, 4, SRCAND));
    EXPECT_TRUE(test::AllZero(b));
}

}  // namespace
}  // namespace pivra
