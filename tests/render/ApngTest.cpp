// The APNG read back by libpng with a walk of the animation chunks (not our
// encoder's code), each frame laid on the canvas as a player does: colour
// type and bit depth, PLTE and tRNS, acTL's frames and plays, fcTL's
// sequence, delays, regions, dispose and blend ops, and the pixels against
// the render over black and over white; clear where the render is clear,
// and a face's own partial transparency kept.
#include <gtest/gtest.h>

#include <fstream>

#include "render/AnimationEncoders.h"
#include "render/FlatLook.h"
#include "support/FrameCompare.h"
#include "support/RenderFaces.h"
#include "support/TempFolder.h"

namespace pivra::test {
namespace {

// The detailed face with a band across its middle at half alpha.
imagelib::Picture BandedFace(int side) {
    imagelib::Picture face = *DetailedFace(side, 1).picture;
    for (int y = side * 2 / 5; y < side * 3 / 5; ++y)
        for (int x = 0; x < side; ++x) face.pixel(x, y)[3] = 128;
    return face;
}

struct Case {
    std::string name;
    int count, frameMs, colours;
    FrameSource frames;
    int bitDepth;
    double leastDb;
    bool flat;  // the flat look: BandedFace face-on in frame 0, edge-on midway
};

TEST(Apng, ReadBackByLibpngItIsTheRenderWithItsAlphaOnOneSharedPalette) {
    const int side = 96;
    auto look = std::make_shared<FlatLook>(BandedFace(side), *DetailedFace(side, 2).picture, side, 25);
    const FrameSource coin = [look](int k) { return look->frame(k); };
    const std::vector<Case> cases = {
        {"full colour", 25, 60, 0, coin, 8, 99, true},
        {"256 colours", 25, 60, 256, coin, 8, 34, true},
        {"16 colours, 4 bits a pixel", 25, 60, 16, coin, 4, 24, true},
        {"an odd 37 x 29 px disc in 4 colours, 45 ms", 40, 45, 4, [](int k) { return MovingDisc(37, 29, k); }, 2, 15, false},
    };
    TempFolder dir{"apng"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes;
        std::string why;
        ASSERT_TRUE(EncodeApng(c.frames, c.count, c.frameMs, ApngSettings{c.colours}, bytes, why)) << why;
        std::ofstream(dir / "spin.png", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                               static_cast<std::streamsize>(bytes.size()));
        const ApngAnimation a = ReadApng(dir / "spin.png");
        ASSERT_TRUE(a.ok && a.stillIsFirstFrame);
        const imagelib::Picture first = c.frames(0);
        const bool indexed = c.colours != 0;
        EXPECT_EQ(std::make_tuple(a.still.width, a.still.height, a.frameCount, a.plays),
                  std::make_tuple(first.width, first.height, c.count, 0));
        EXPECT_EQ(std::make_pair(a.colourType, a.bitDepth), std::make_pair(indexed ? 3 : 6, c.bitDepth));
        if (indexed) {
            EXPECT_TRUE(a.paletteEntries >= 2 && a.paletteEntries <= c.colours) << a.paletteEntries;
            // The clear entry and the rim's partly clear ones, before the opaque.
            EXPECT_TRUE(a.alphaEntries >= 2 && a.alphaEntries <= a.paletteEntries) << a.alphaEntries;
            if (c.flat) { EXPECT_LT(a.alphaEntries, a.paletteEntries); }
        } else {
            EXPECT_EQ(std::make_pair(a.paletteEntries, a.alphaEntries), std::make_pair(0, 0));
        }
        ASSERT_EQ(a.controls.size(), size_t(c.count));
        ASSERT_EQ(a.canvases.size(), size_t(c.count));
        int narrowest = first.width;
        for (int k = 0; k < c.count; ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            const ApngFrameControl& f = a.controls[size_t(k)];
            EXPECT_EQ(f.sequence, k == 0 ? 0u : std::uint32_t(2 * k - 1));
            if (k > 0) { EXPECT_EQ(a.dataSequence.at(size_t(k - 1)), std::uint32_t(2 * k)); }
            EXPECT_EQ(f.delayNum * 1000, c.frameMs * f.delayDen);
            EXPECT_EQ(std::make_pair(f.dispose, f.blend), std::make_pair(indexed ? 1 : 0, 0));
            if (k == 0) { EXPECT_EQ(std::make_tuple(f.x, f.y, f.width, f.height), std::make_tuple(0, 0, first.width, first.height)); }
            narrowest = std::min(narrowest, f.width);
            const imagelib::Picture want = c.frames(k);
            const RgbaFrame& got = a.canvases[size_t(k)];
            for (size_t i = 3; i < want.rgba.size(); i += 4)
                if (want.rgba[i] == 0) { ASSERT_EQ(got.rgba[i], 0) << "clear where the render is, at pixel " << i / 4; }
            if (c.leastDb >= 99) {
                EXPECT_EQ(got.rgba, want.rgba);
            } else {
                EXPECT_GE(PsnrOver(got, want, 0), c.leastDb);
                EXPECT_GE(PsnrOver(got, want, 255), c.leastDb);
            }
        }
        // Each frame but the first holds only what it shows.
        if (indexed && c.flat) { EXPECT_LT(narrowest, first.width / 4); }
        // The face's band at half alpha, face-on in frame 0, stays half clear.
        if (c.flat) { EXPECT_NEAR(a.canvases[0].at(side / 2, side / 2)[3], 128, 12); }
    }
}

TEST(Apng, RefusesAPaletteSizeOutsideTwoTo256) {
    const FrameSource one = [](int) { return imagelib::Picture(8, 8); };
    for (const int colours : {1, 257, -3}) {
        std::vector<std::uint8_t> bytes;
        std::string why;
        EXPECT_FALSE(EncodeApng(one, 1, 60, ApngSettings{colours}, bytes, why)) << colours;
        EXPECT_NE(why.find("2 to 256"), std::string::npos) << why;
    }
}

}  // namespace
}  // namespace pivra::test
