// The coin look checked against what a real coin of that shape shows: its
// width at each angle, the rim edge-on, the tail's reading, the light, and
// the flat look it reduces to.
#include <gtest/gtest.h>

#include <cmath>

#include "Resizer.h"
#include "render/CoinCoverage.h"
#include "render/CoinLook.h"

namespace pivra {
namespace {

using imagelib::Picture;
constexpr double kPi = 3.14159265358979323846;

Picture Filled(int side, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Picture p(side, side);
    for (std::size_t i = 0; i < p.pixelCount(); ++i)
        p.rgba[i * 4] = r, p.rgba[i * 4 + 1] = g, p.rgba[i * 4 + 2] = b, p.rgba[i * 4 + 3] = 255;
    return p;
}

// Red on its left half, blue on its right: which way round it is shows.
Picture LeftRed(int side) {
    Picture p = Filled(side, 0, 0, 255);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side / 2; ++x) p.pixel(x, y)[0] = 255, p.pixel(x, y)[2] = 0;
    return p;
}

// The coin's width in pixels along the middle row: the alpha summed.
double MiddleWidth(const Picture& frame) {
    double sum = 0;
    for (int x = 0; x < frame.width; ++x) sum += frame.pixel(x, frame.height / 2)[3] / 255.0;
    return sum;
}

CoinLookOptions Plain(int side, int frames, int thickness) {
    CoinLookOptions o;
    o.side = side, o.frames = frames, o.thickness = thickness, o.light = false, o.perspective = false;
    return o;
}

TEST(CoinLook, WidthFollowsTheAngleAndEdgeOnShowsTheRim) {
    struct Case { int side, frames, thickness; };
    for (const Case c : {Case{192, 48, 6}, Case{128, 40, 20}, Case{65, 24, 0}, Case{512, 36, 10}}) {
        const CoinLook look(Filled(64, 200, 180, 40), Filled(64, 40, 90, 200), Plain(c.side, c.frames, c.thickness));
        const double D = look.diameter(), t = D * c.thickness / 100.0;
        // Without perspective the coin fills the frame at its widest: the
        // hull of the two discs, sqrt(D^2 + t^2) across.
        EXPECT_NEAR(std::hypot(D, t), c.side, 1e-6);
        for (int k = 0; k < c.frames; ++k) {
            const double angle = 2 * kPi * k / c.frames;
            const double expected = D * std::fabs(std::cos(angle)) + t * std::fabs(std::sin(angle));
            EXPECT_NEAR(MiddleWidth(look.frame(k)), expected, 1.0)
                << "side " << c.side << " frame " << k << " of " << c.frames;
        }
        // Edge-on (a quarter turn, frames / 4): only the rim, t wide.
        const Picture edge = look.frame(c.frames / 4);
        EXPECT_NEAR(MiddleWidth(edge), t, 1.0);
        if (c.thickness == 0) {
            EXPECT_EQ(MiddleWidth(edge), 0.0);
        }
    }
}

// The area a coin covers on screen without perspective: the ellipse of a
// face plus the band its rim sweeps, pi (D/2)^2 |cos| + D t |sin|. A frame
// too small for the coin would cut some of it off.
TEST(CoinLook, TheWholeTurnStaysInsideTheFrame) {
    const CoinLook look(Filled(32, 255, 255, 255), Filled(32, 255, 255, 255), Plain(96, 40, 20));
    const double D = look.diameter(), t = D * 0.2;
    for (int k = 0; k < 40; ++k) {
        const Picture f = look.frame(k);
        double area = 0;
        for (std::size_t i = 0; i < f.pixelCount(); ++i) area += f.rgba[i * 4 + 3] / 255.0;
        const double angle = 2 * kPi * k / 40;
        const double expected = kPi * D * D / 4 * std::fabs(std::cos(angle)) + D * t * std::fabs(std::sin(angle));
        // 4 x 4 samples where an edge crosses a pixel: up to 1/8 of a pixel a row at each side.
        EXPECT_NEAR(area, expected, 0.004 * expected + D / 4) << "frame " << k;
    }
    // With perspective, no ray just outside the frame meets the coin at any angle.
    CoinShape shape{0.2, true};
    const double reach = CoinReach(shape), outside = reach * 1.0001;
    for (int a = 0; a < 720; ++a)
        for (int i = -200; i <= 200; ++i) {
            const double along = reach * i / 200.0, angle = kPi * a / 360;
            ASSERT_EQ(TraceCoin(shape, CoinTurn(angle), along, outside).part, CoinPart::None) << a << " " << i;
            ASSERT_EQ(TraceCoin(shape, CoinTurn(angle), along, -outside).part, CoinPart::None) << a << " " << i;
            ASSERT_EQ(TraceCoin(shape, CoinTurn(angle), outside, along).part, CoinPart::None) << a << " " << i;
            ASSERT_EQ(TraceCoin(shape, CoinTurn(angle), -outside, along).part, CoinPart::None) << a << " " << i;
        }
}

TEST(CoinLook, HeadFirstAndTheTailReadsTheRightWayRound) {
    const CoinLook look(LeftRed(64), LeftRed(64), Plain(96, 50, 6));
    for (const int k : {0, 25}) {  // the head face-on, then the tail face-on
        const Picture f = look.frame(k);
        const std::uint8_t* left = f.pixel(30, 48);
        const std::uint8_t* right = f.pixel(66, 48);
        EXPECT_GT(left[0], 200) << "frame " << k;
        EXPECT_LT(left[2], 50) << "frame " << k;
        EXPECT_GT(right[2], 200) << "frame " << k;
        EXPECT_LT(right[0], 50) << "frame " << k;
    }
    // Frame 0 is the head: a blue head and a red tail tell them apart.
    const CoinLook apart(Filled(64, 0, 0, 255), Filled(64, 255, 0, 0), Plain(96, 50, 6));
    EXPECT_GT(apart.frame(0).pixel(48, 48)[2], 200);
    EXPECT_GT(apart.frame(25).pixel(48, 48)[0], 200);
}

// The mean brightness of the coin's opaque pixels.
double MeanGrey(const Picture& f) {
    double sum = 0;
    int n = 0;
    for (std::size_t i = 0; i < f.pixelCount(); ++i)
        if (f.rgba[i * 4 + 3] == 255) sum += (f.rgba[i * 4] + f.rgba[i * 4 + 1] + f.rgba[i * 4 + 2]) / 3.0, ++n;
    return n ? sum / n : 0;
}

TEST(CoinLook, AFaceTurnedFromTheLightIsDarkerAndTheNearEdgeTaller) {
    CoinLookOptions o;
    o.side = 128, o.frames = 12, o.thickness = 0;
    const CoinLook lit(Filled(64, 128, 128, 128), Filled(64, 128, 128, 128), o);
    // Frame 2 turns the head 60 degrees to the right, away from a lamp on the left.
    EXPECT_LT(MeanGrey(lit.frame(2)), 0.7 * MeanGrey(lit.frame(0)));
    EXPECT_NEAR(MeanGrey(lit.frame(0)), 128, 16);
    o.light = false;
    const CoinLook even(Filled(64, 128, 128, 128), Filled(64, 128, 128, 128), o);
    EXPECT_NEAR(MeanGrey(even.frame(2)), 128, 1);

    // Turned 60 degrees right, the head's left half comes nearer: at the
    // same distance from the axis its column is taller than the right half's.
    const Picture f = lit.frame(2);
    const auto height = [&](int x) {
        int h = 0;
        for (int y = 0; y < f.height; ++y) h += f.pixel(x, y)[3] > 128;
        return h;
    };
    EXPECT_GT(height(64 - 20), height(64 + 20) + 4) << height(64 - 20) << " vs " << height(64 + 20);
}

double Psnr(const Picture& a, const Picture& b) {
    double se = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i) {
        // Colour only where the coin is: compare premultiplied values.
        const double va = a.rgba[i] * (i % 4 == 3 ? 1.0 : a.rgba[i - i % 4 + 3] / 255.0);
        const double vb = b.rgba[i] * (i % 4 == 3 ? 1.0 : b.rgba[i - i % 4 + 3] / 255.0);
        se += (va - vb) * (va - vb);
    }
    return 10 * std::log10(255.0 * 255.0 / (se / a.rgba.size()));
}

TEST(CoinLook, FlatThinAndUnlitItIsTheFlatLooksFirstFrame) {
    // A busy face: a gradient with a checker on it.
    Picture face(240, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 240; ++x) {
            std::uint8_t* p = face.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y);
            p[2] = ((x / 12 + y / 12) % 2) ? 220 : 30, p[3] = 255;
        }
    const CoinLook look(face, face, Plain(192, 50, 0));
    // The flat look's face-on frame: the face at the frame's size, cut to the disc.
    Picture flat = imagelib::resizePicture(face, 192, 192);
    const Picture cover = CoinCoverage(192, 192);
    for (std::size_t i = 0; i < flat.pixelCount(); ++i) flat.rgba[i * 4 + 3] = cover.rgba[i * 4];
    EXPECT_GE(Psnr(look.frame(0), flat), 40.0);
}

}  // namespace
}  // namespace pivra
