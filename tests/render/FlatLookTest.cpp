// The flat look against the frame table worked out by hand and against Qt's
// own drawing of a face squeezed into an antialiased ellipse.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <thread>

#include "render/FlatLook.h"
#include "support/FrameCompare.h"

namespace pivra::test {
namespace {

using imagelib::Picture;
constexpr double kPi = 3.14159265358979323846;

TEST(FlatPlan, EachHalfTurnShrinksToEdgeOnAndGrowsBackHeadFirst) {
    // 50 frames: the GIF build's table, turned so that the head leads.
    for (int k = 0; k < 50; ++k) {
        const int old = (k + 25) % 50;  // the build's frame number
        const FlatStep s = FlatPlan(k, 50);
        EXPECT_NEAR(s.width, std::abs(old % 25 - 12) / 12.0, 1e-12) << k;
        if (s.width > 0) { EXPECT_EQ(s.head, old >= 13 && old <= 36) << k; }
    }
    struct Case { int count; std::vector<double> widths; std::string faces; };  // H head, T tail, - blank
    for (const Case& c : {Case{8, {1, 1 / 3.0, 1 / 3.0, 1, 1, 1 / 3.0, 1 / 3.0, 1}, "HHTTTTHH"},
                          Case{9, {1, 0.5, 0, 0.5, 1, 1, 1 / 3.0, 1 / 3.0, 1}, "HH-TTTTHH"}}) {
        for (int k = 0; k < c.count; ++k) {
            const FlatStep s = FlatPlan(k, c.count);
            EXPECT_NEAR(s.width, c.widths[size_t(k)], 1e-12) << c.count << " frame " << k;
            EXPECT_EQ(s.width == 0 ? '-' : s.head ? 'H' : 'T', c.faces[size_t(k)]) << c.count << " frame " << k;
        }
    }
}

// A busy face: gradients with a checker on them.
Picture Busy(int side, int seed) {
    Picture face(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::uint8_t* p = face.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 255 / side), p[1] = static_cast<std::uint8_t>(y * 255 / side);
            p[2] = ((x / 12 + y / 12 + seed) % 2) ? 220 : 30, p[3] = 255;
        }
    return face;
}

QImage ToQImage(const Picture& p) {
    QImage image(p.width, p.height, QImage::Format_RGBA8888);
    for (int y = 0; y < p.height; ++y) std::memcpy(image.scanLine(y), p.pixel(0, y), size_t(p.width) * 4);
    return image;
}

// Qt's drawing of frame k: the face squeezed to the squeezed width, filling
// an antialiased ellipse of that width centred in the frame.
RgbaFrame QtFrame(const QImage& face, int side, double width) {
    QImage out(side, side, QImage::Format_RGBA8888);
    out.fill(Qt::transparent);
    if (width > 0) {
        QPainter painter(&out);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        const double left = (side - width) / 2;
        // Qt's smooth scaling averages areas when it shrinks; its brush transform only interpolates.
        const int whole = std::max(1, static_cast<int>(std::lround(width)));
        QBrush brush(face.scaled(whole, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        brush.setTransform(QTransform(width / whole, 0, 0, 1, left, 0));
        painter.setBrush(brush);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(left, 0, width, side));
    }
    RgbaFrame f{side, side, {}};
    for (int y = 0; y < side; ++y) f.rgba.insert(f.rgba.end(), out.constScanLine(y), out.constScanLine(y) + side * 4);
    return f;
}

TEST(FlatLook, FramesAreTheFacesSqueezedIntoTheDiscAsQtDrawsThem) {
    struct Case { int side, frames; };
    for (const Case c : {Case{96, 50}, Case{128, 9}, Case{37, 24}}) {
        const Picture head = Busy(c.side, 0), tail = Busy(c.side, 1);
        const FlatLook look(head, tail, c.side, c.frames);
        ASSERT_EQ(std::make_pair(look.side(), look.frameCount()), std::make_pair(c.side, c.frames));
        for (int k = 0; k < c.frames; ++k) {
            SCOPED_TRACE(std::to_string(c.side) + " px, frame " + std::to_string(k) + " of " + std::to_string(c.frames));
            const FlatStep step = FlatPlan(k, c.frames);
            const double w = step.width * c.side;
            const Picture f = look.frame(k);
            ASSERT_EQ(std::make_pair(f.width, f.height), std::make_pair(c.side, c.side));
            // Its alpha is the ellipse's area, pi (w/2)(side/2), to a sixteenth of a pixel a row.
            double area = 0;
            for (std::size_t i = 0; i < f.pixelCount(); ++i) area += f.rgba[i * 4 + 3] / 255.0;
            EXPECT_NEAR(area, kPi * w * c.side / 4, c.side / 8.0 + 1);
            // Outside the strip nothing shows.
            for (int y = 0; y < c.side; ++y)
                for (int x = 0; x < c.side; ++x)
                    if (x + 1 <= (c.side - w) / 2 || x >= (c.side + w) / 2) {
                        ASSERT_EQ(f.pixel(x, y)[3], 0) << x << "," << y;
                    }
            // The two filters differ on the checker's hard edges by about 29 dB; a wrong face,
            // place or width costs far more.
            const RgbaFrame qt = QtFrame(ToQImage(step.head ? head : tail), c.side, w);
            for (int page : {0, 255}) EXPECT_GE(PsnrOver(qt, f, page), w < 8 ? 22.0 : 27.0) << "over " << page;
        }
        // Face-on, the head is the face itself, unchanged where the disc covers it wholly.
        const Picture first = look.frame(0);
        for (int x = 0; x < c.side; ++x) {
            const std::uint8_t* p = first.pixel(x, c.side / 2);
            if (p[3] == 255) { EXPECT_EQ(std::vector<std::uint8_t>(p, p + 3), std::vector<std::uint8_t>(head.pixel(x, c.side / 2), head.pixel(x, c.side / 2) + 3)); }
        }
    }
}

// A face with transparent parts keeps them, and frames drawn on two threads
// are the frames drawn on one.
TEST(FlatLook, KeepsTheFacesTransparencyOnAnyThread) {
    Picture half = Busy(64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 32; ++x) half.pixel(x, y)[3] = 0;
    const FlatLook look(half, Busy(64, 1), 64, 20);
    const Picture f = look.frame(0);
    for (int y = 8; y < 56; ++y) {
        EXPECT_EQ(f.pixel(20, y)[3], 0) << y;
        EXPECT_EQ(f.pixel(44, y)[3], 255) << y;
    }
    std::vector<Picture> apart(20);
    std::thread other([&] { for (int k = 1; k < 20; k += 2) apart[size_t(k)] = look.frame(k); });
    for (int k = 0; k < 20; k += 2) apart[size_t(k)] = look.frame(k);
    other.join();
    for (int k = 0; k < 20; ++k) EXPECT_EQ(apart[size_t(k)].rgba, look.frame(k).rgba) << k;
}

}  // namespace
}  // namespace pivra::test
