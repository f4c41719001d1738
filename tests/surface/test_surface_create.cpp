// Making, describing and releasing surfaces: sizes, row padding, formats, limits.
#include <gtest/gtest.h>

#include "SurfacePixels.h"
#include "surface/DibSection.h"

namespace pivra {
namespace {

void ExpectEmpty(const CDIBSection& s) {
    EXPECT_EQ(s.dib_width(), 0);
    EXPECT_EQ(s.dib_height(), 0);
    EXPECT_EQ(s.dib_channels(), 0);
    EXPECT_EQ(s.hDC(), nullptr);
    EXPECT_EQ(s.hDib(), nullptr);
    EXPECT_EQ(s.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(s.BytesPerScanLine(), 0);
}

TEST(SurfaceCreate, RowBytesArePaddedToFour) {
    struct Case { std::int32_t width, channels, bytes; };
    for (const Case c : {Case{1, 3, 4}, Case{5, 3, 16}, Case{192, 3, 576}, Case{2, 3, 8}, Case{5, 4, 20}, Case{1, 4, 4}}) {
        CDIBSection s;
        ASSERT_TRUE(s.Create(c.width, 7, c.channels));
        EXPECT_EQ(s.BytesPerScanLine(), c.bytes) << "width " << c.width;
        EXPECT_EQ(s.header().biSizeImage, static_cast<std::uint32_t>(c.bytes * 7));
        EXPECT_EQ(s.hDib()->byteCount(), static_cast<std::size_t>(c.bytes * 7));
    }
}

TEST(SurfaceCreate, OnlyThreeChannelsGiveTwentyFourBits) {
    for (std::int32_t channels : {3, 4, 1, 0, -2, 7}) {
        CDIBSection s;
        ASSERT_TRUE(s.Create(3, 2, channels));
        const bool three = channels == 3;
        EXPECT_EQ(s.header().biBitCount, three ? 24 : 32) << channels;
        EXPECT_EQ(s.dib_channels(), three ? 3 : 4);
        EXPECT_EQ(s.header().biSize, 40u);
        EXPECT_EQ(s.header().biPlanes, 1);
        EXPECT_EQ(s.header().biCompression, 0u);
        EXPECT_EQ(s.dib_width(), 3);
        EXPECT_EQ(s.dib_height(), 2);
    }
}

TEST(SurfaceCreate, NewSurfaceIsBlackIncludingRowFiller) {
    CDIBSection s;
    ASSERT_TRUE(s.Create(5, 4, 3));
    ASSERT_NE(s.hDC(), nullptr);
    EXPECT_EQ(s.hDC()->selected(), s.hDib());
    EXPECT_EQ(s.DIBSectionBitsPtr(), s.hDib()->bits());
    EXPECT_TRUE(test::AllZero(s));
}

TEST(SurfaceCreate, NeverCreatedAndCleanedUpSurfacesAreEmpty) {
    CDIBSection s;
    ExpectEmpty(s);
    s.CleanUp();
    s.CleanUp();
    ExpectEmpty(s);
    ASSERT_TRUE(s.Create(4, 4, 4));
    s.CleanUp();
    ExpectEmpty(s);
    s.CleanUp();
    ExpectEmpty(s);
}

TEST(SurfaceCreate, CreateReplacesThePreviousSection) {
    CDIBSection s;
    ASSERT_TRUE(s.Create(8, 8, 3));
    test::Fill(s, [](int, int) { return test::Rgb(0xffffff); });
    ASSERT_TRUE(s.Create(3, 2, 4));
    EXPECT_EQ(s.dib_width(), 3);
    EXPECT_EQ(s.BytesPerScanLine(), 12);
    EXPECT_TRUE(test::AllZero(s));
}

TEST(SurfaceCreate, SizesOutsideTheLimitsAreRefusedAndLeaveTheSurfaceEmpty) {
    struct Case { std::int32_t w, h, ch; };
    const Case refused[] = {
        {0, 5, 3}, {5, 0, 3}, {-3, 5, 3}, {5, -3, 3},
        {16384, 32768, 4},          // exactly 2^31 bytes: one past the 32-bit signed range
        {INT32_MAX, 1, 3},          // the row alone does not fit
        {1 << 20, 1 << 20, 3},      // the product wraps in 32 bits
    };
    for (const Case c : refused) {
        CDIBSection s;
        ASSERT_TRUE(s.Create(2, 2, 3));
        EXPECT_FALSE(s.Create(c.w, c.h, c.ch)) << c.w << "x" << c.h;
        ExpectEmpty(s);
    }
}

TEST(SurfaceCreate, HalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(HalfRoundedToEven(155), 78);
    EXPECT_EQ(HalfRoundedToEven(153), 76);
    EXPECT_EQ(HalfRoundedToEven(154), 77);
    EXPECT_EQ(HalfRoundedToEven(1), 0);
    EXPECT_EQ(HalfRoundedToEven(3), 2);
    EXPECT_EQ(HalfRoundedToEven(-1), 0);
    EXPECT_EQ(HalfRoundedToEven(-3), -2);
    EXPECT_EQ(HalfRoundedToEven(-5), -2);
}

}  // namespace
}  // namespace pivra
