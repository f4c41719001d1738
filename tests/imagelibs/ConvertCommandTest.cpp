// libMorphex: sizes, colour operations, formats, GIF palettes and the animation set.
#include <QPainter>
#include <cmath>
#include <map>

#include "ImageLibsTest.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

using Convert = ImageLibsTest;
const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255), kWhite = qRgb(255, 255, 255), kNone = 0;

TEST_F(Convert, GeometryGivesTheSize) {
    // Left half red, right half blue: a squeeze that mirrors or smears them shows.
    QImage halves = filled(100, 80, kRed);
    QPainter(&halves).fillRect(50, 0, 50, 80, kBlue);
    const std::string src = save(halves, "src.png");
    const struct { const char* geometry; int w, h; } cases[] = {{"37X192!", 37, 192}, {"37x192!", 37, 192},
        {"192x37!", 192, 37}, {"1x1!", 1, 1}, {"50x50", 50, 40}, {"100x80!", 100, 80}};
    for (const auto& c : cases) {
        ok(morphex(), {src, "-geometry", c.geometry, at("out.png")});
        const QImage out = read(at("out.png"));
        ASSERT_EQ(out.size(), QSize(c.w, c.h)) << c.geometry;
        if (c.w == 1) continue;
        EXPECT_EQ(out.pixel(0, c.h / 2), kRed) << c.geometry;
        EXPECT_EQ(out.pixel(c.w - 1, c.h / 2), kBlue) << c.geometry;
    }
    EXPECT_EQ(offPixels(read(at("out.png")), halves), 0);  // the same size is a plain copy
}

TEST_F(Convert, ColourOperationsInTheirOrder) {
    const std::vector<QRgb> in = {qRgb(10, 20, 30), kWhite, qRgb(254, 255, 255), qRgb(0, 0, 0), kNone};
    const QRgb negated = qRgb(245, 235, 225), nearBlack = qRgb(1, 0, 0);
    const struct { std::vector<std::string> options; std::vector<QRgb> out; } cases[] = {
        {{"-negate"}, {negated, qRgb(0, 0, 0), nearBlack, kWhite, kNone}},
        {{"-transparent", "white"}, {in[0], kNone, in[2], in[3], kNone}},  // only exact white
        {{"-transparent", "#FEFFFF"}, {in[0], in[1], kNone, in[3], kNone}},
        {{"-negate", "-transparent", "black"}, {negated, kNone, nearBlack, kWhite, kNone}}};
    const std::string src = save(row(in), "in.png");
    for (const auto& c : cases)
        for (const char* name : {"out.png", "out.gif"}) {
            std::vector<std::string> args = {src};
            args.insert(args.end(), c.options.begin(), c.options.end());
            args.push_back(at(name));
            ok(morphex(), args);
            EXPECT_EQ(offPixels(read(at(name)), row(c.out)), 0) << c.options.back() << " to " << name;
        }
}

TEST_F(Convert, FormatFollowsTheExtensionAndInputTheContent) {
    // Every row different, so an interlaced GIF read in the wrong row order shows.
    QImage image(20, 10, QImage::Format_ARGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) image.setPixel(x, y, x < 10 ? qRgb(255, y * 25, 0) : qRgb(0, y * 25, 255));
    const std::string jpeg = "\xFF\xD8";
    const std::pair<const char*, std::string> outputs[] = {{"o.png", "\x89PNG"}, {"o.PNG", "\x89PNG"},
        {"o.gif", "GIF8"}, {"o.Gif", "GIF8"}, {"o.bmp", "BM"}, {"o.jpg", jpeg}, {"o.jpeg", jpeg}, {"o.JPG", jpeg},
        {"o.mif", "id=ImageMagick"}};
    for (const std::string& input : {save(image, "in.png"), save(image, "in.bmp"), save(image, "in.gif", true)})
        for (const auto& [name, magic] : outputs) {
            ok(morphex(), {input, at(name)});
            EXPECT_EQ(bytesOf(at(name)).rfind(magic, 0), 0u) << name;
            const QImage out = magic[0] == 'i' ? pixelsOf(readWand(at(name)).get()) : read(at(name));
            EXPECT_EQ(offPixels(out, image, magic == jpeg ? 20 : 0), 0) << input << " to " << name;
        }
    const std::string bmp = bytesOf(at("o.bmp"));  // the plain kind every reader takes
    EXPECT_TRUE(bmp[14] == 40 && bmp[28] == 24) << "a 40-byte header and 24 bits a pixel";
}

TEST_F(Convert, MiffRoundTripKeepsEveryPixel) {
    QImage image(16, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgba(x * 16, y * 32, 255 - x * 8, x < 8 ? 255 : 40 + y));
    ok(morphex(), {save(image, "in.png"), at("a.mif")});
    ok(morphex(), {at("a.mif"), at("back.png")});
    EXPECT_EQ(offPixels(pixelsOf(readWand(at("a.mif")).get()), image), 0);
    EXPECT_EQ(offPixels(read(at("back.png")), image), 0);
}

TEST_F(Convert, GifPaletteIsExactUpTo256ColoursAndCloseBeyond) {
    // 255 colours and transparency fill the table; so do 256 opaque colours.
    QImage withHole = filled(16, 17, Qt::transparent), full(16, 16, QImage::Format_ARGB32);
    for (int i = 0; i < 256; ++i) {
        const int c = i % 255;
        withHole.setPixel(i % 16, i / 16, qRgb(c, c * 7 % 256, 255 - c));
        full.setPixel(i % 16, i / 16, qRgb(i, 255 - i, (i * 5) % 256));
    }
    // Thousands of colours in a disc on transparency, as a face strip has: close, with alpha exact.
    QImage photo = filled(160, 120, Qt::transparent);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            if (std::hypot(x - 80, y - 60) < 58)
                photo.setPixel(x, y, qRgb(x * 255 / 159, y * 255 / 119, int(127.5 + 127.5 * std::sin((x + y) / 20.0))));
    for (const auto& [image, tolerance] : {std::pair{withHole, 0}, {full, 0}, {photo, 20}}) {
        ok(morphex(), {save(image, "in.png"), at("out.gif")});
        EXPECT_EQ(offPixels(read(at("out.gif")), image, tolerance), 0) << image.width();
    }
}

TEST_F(Convert, AnimationJoinsMatchingFilesInNameOrder) {
    // Written out of order; "f10" sorts between "f1" and "f2" as names do.
    const std::map<std::string, QRgb> files = {{"f2", kBlue}, {"f0", kRed}, {"f3", qRgb(255, 255, 0)},
                                               {"f10", qRgb(0, 255, 255)}, {"f1", qRgb(0, 255, 0)}};
    for (const auto& [name, colour] : files) {
        QImage frame = filled(12, 12, colour);
        frame.setPixel(0, 0, kNone);  // a hole that disposal to background keeps empty
        save(frame, name + ".gif");
    }
    save(filled(12, 12, Qt::black), "extra.png");
    std::ofstream(at("notes.txt")) << "not a frame";
    const std::string out = at("pivra.gif");
    const struct { std::vector<std::string> args; int delay; std::vector<const char*> order; } cases[] = {
        {{at("*.gif"), "-compress", "LZW", "-delay", "6", "-dispose", "background", "-loop", "0", out}, 6,
         {"f0", "f1", "f10", "f2", "f3"}},
        {{at("f?.gif"), "-loop", "0", "-dispose", "Background", "-delay", "25", "-compress", "lzw", out}, 25,
         {"f0", "f1", "f2", "f3"}}};
    for (const auto& c : cases) {
        ok(morphex(), c.args);
        const GifInfo gif = ReadGifStructure(out);
        const std::vector<QImage> shown = ReadGifFrames(out);
        EXPECT_EQ(gif.loopCount, 0) << c.args[0];
        ASSERT_EQ(gif.frames.size(), c.order.size()) << c.args[0];
        ASSERT_EQ(shown.size(), c.order.size()) << c.args[0];
        for (std::size_t i = 0; i < c.order.size(); ++i) {
            EXPECT_EQ(gif.frames[i].delayCs, c.delay);
            EXPECT_EQ(gif.frames[i].disposal, 2);
            EXPECT_EQ(shown[i].pixel(6, 6), files.at(c.order[i])) << c.args[0] << " frame " << i;
            EXPECT_EQ(qAlpha(shown[i].pixel(0, 0)), 0) << c.args[0] << " frame " << i;
        }
    }
    // An animated input gives its first frame.
    for (const char* name : {"first.gif", "first.png"}) ok(morphex(), {out, at(name)});
    EXPECT_EQ(ReadGifFrames(at("first.gif")).size(), 1u);
    for (const char* name : {"first.gif", "first.png"}) EXPECT_EQ(read(at(name)).pixel(6, 6), kRed) << name;
    EXPECT_EQ(names().size(), files.size() + 5);  // no temporary file left behind
}

}  // namespace
}  // namespace pivra::test
