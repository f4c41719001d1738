// The renderer's GIF read back by giflib: size, frames, delays in whole
// hundredths, looping for ever, each frame cleared after it, clear exactly
// where the render shows nothing, and the pixels of the render laid on the
// page the GIF is made for.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>

#include "render/GifAnimation.h"
#include "render/SpinRender.h"
#include "support/FrameCompare.h"
#include "support/GifInspect.h"
#include "support/RenderFaces.h"
#include "support/TempFolder.h"

namespace pivra::test {
namespace {

TEST(GifDelays, WholeHundredthsThatAddUpToTheTurn) {
    struct Case { int frameMs; std::vector<int> delays; };
    for (const Case& c : std::vector<Case>{{60, {6, 6, 6, 6}}, {45, {5, 4, 5, 4, 5}}, {33, {3, 4, 3, 3, 4, 3}},
                                           {1000, {100, 100}}, {10, {2, 2}}}) {
        std::vector<int> got;
        for (size_t k = 0; k < c.delays.size(); ++k) got.push_back(GifDelayCs(int(k), c.frameMs));
        EXPECT_EQ(got, c.delays) << c.frameMs << " ms";
    }
}

struct Case {
    std::string name;
    int count, frameMs;
    FrameSource frames;
    GifSettings settings;
    double leastDb;
};

TEST(Gif, ReadBackByGiflibItIsTheRenderOnItsPageClearAroundIt) {
    auto spin = std::make_shared<SpinRender>(DetailedFace(192, 1), DetailedFace(192, 2));
    const FrameSource coin = [spin](int k) { return spin->frame(k); };
    const std::array<std::uint8_t, 3> dark{0x0d, 0x11, 0x17};
    const std::vector<Case> cases = {
        {"the coin at 192 px for a white page", 50, 60, coin, {}, 35},
        {"the coin for a dark page", 50, 60, coin, {256, dark}, 34},
        {"the coin in 16 colours", 50, 60, coin, {16, std::nullopt}, 23},
        {"an odd 37 x 29 px frame, 45 ms", 40, 45, [](int k) { return MovingDisc(37, 29, k); }, {}, 34},
    };
    TempFolder dir{"gif"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes;
        std::string why;
        ASSERT_TRUE(EncodeAnimatedGif(c.frames, c.count, c.frameMs, c.settings, bytes, why)) << why;
        std::ofstream(dir / "spin.gif", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                               static_cast<std::streamsize>(bytes.size()));
        const GifInfo info = ReadGifStructure(dir / "spin.gif");
        const std::vector<RgbaFrame> shown = ReadGifCanvases(dir / "spin.gif");
        const imagelib::Picture first = c.frames(0);
        ASSERT_TRUE(info.ok);
        EXPECT_EQ(std::make_tuple(info.screenWidth, info.screenHeight, info.loopCount), std::make_tuple(first.width, first.height, 0));
        ASSERT_EQ(info.frames.size(), size_t(c.count));
        ASSERT_EQ(shown.size(), size_t(c.count));
        int totalCs = 0;
        const std::array<std::uint8_t, 3> page = c.settings.matte.value_or(std::array<std::uint8_t, 3>{255, 255, 255});
        for (int k = 0; k < c.count; ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            EXPECT_EQ(info.frames[size_t(k)].disposal, 2);
            totalCs += info.frames[size_t(k)].delayCs;
            const imagelib::Picture want = c.frames(k);
            const RgbaFrame& got = shown[size_t(k)];
            std::set<std::uint32_t> colours;
            bool clearWhereNothing = true;
            for (size_t i = 0; i < want.rgba.size(); i += 4) {
                clearWhereNothing = clearWhereNothing && (got.rgba[i + 3] == 0) == (want.rgba[i + 3] == 0);
                if (got.rgba[i + 3]) colours.insert(std::uint32_t(got.rgba[i]) << 16 | got.rgba[i + 1] << 8 | got.rgba[i + 2]);
            }
            EXPECT_TRUE(clearWhereNothing);
            EXPECT_LT(colours.size(), size_t(c.settings.colours));
            // Over its page: the render laid on that page.
            imagelib::Picture onPage = want;
            for (size_t i = 0; i < onPage.rgba.size(); i += 4) {
                const unsigned a = onPage.rgba[i + 3];
                for (size_t j = 0; j < 3; ++j) onPage.rgba[i + j] = std::uint8_t((onPage.rgba[i + j] * a + page[j] * (255 - a) + 127) / 255);
                onPage.rgba[i + 3] = 255;
            }
            RgbaFrame gotOnPage = got;
            for (size_t i = 0; i < gotOnPage.rgba.size(); i += 4)
                if (gotOnPage.rgba[i + 3] == 0) gotOnPage.rgba[i] = page[0], gotOnPage.rgba[i + 1] = page[1], gotOnPage.rgba[i + 2] = page[2];
            for (size_t i = 3; i < gotOnPage.rgba.size(); i += 4) gotOnPage.rgba[i] = 255;
            EXPECT_GE(PsnrOver(gotOnPage, onPage, 0), c.leastDb);
        }
        EXPECT_EQ(totalCs, (c.count * c.frameMs + 5) / 10) << "the turn's length to the hundredth";
    }
}

}  // namespace
}  // namespace pivra::test
