// WebM with alpha read back by libwebm's parser and libvpx's decoder: one
// VP9 track with alpha_mode 1 and each frame's alpha as BlockAdditional 1,
// exact times, seek entries and cues where the elements are, and the
// pixels of the render over black and over white.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "platform/WorkerPool.h"
#include "render/AnimationEncoders.h"
#include "render/SpinRender.h"
#include "support/FrameCompare.h"
#include "support/RenderFaces.h"
#include "support/TempFolder.h"
#include "support/WebmReader.h"

namespace pivra::test {
namespace {

struct Case {
    std::string name;
    int count, frameMs;
    FrameSource frames;
    double leastDb;
};

TEST(Webm, ReadBackByLibwebmAndLibvpxItIsTheRenderWithItsAlphaAtExactTimes) {
    auto spin = std::make_shared<SpinRender>(DetailedFace(192, 1), DetailedFace(192, 2));
    const std::vector<Case> cases = {
        {"the coin at 192 px", 50, 60, [spin](int k) { return spin->frame(k); }, 32},
        // Odd sides; more than 32.767 s, so more than one cluster.
        {"an odd 37 x 29 px frame", 40, 1000, [](int k) { return MovingDisc(37, 29, k); }, 30},
    };
    TempFolder dir{"webm"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes;
        std::string why;
        ASSERT_TRUE(EncodeWebm(c.frames, c.count, c.frameMs, WebmSettings{}, bytes, why)) << why;
        std::ofstream(dir / "spin.webm", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                static_cast<std::streamsize>(bytes.size()));
        const WebmAnimation anim = ReadWebm(dir / "spin.webm");
        ASSERT_TRUE(anim.ok) << anim.error;
        const imagelib::Picture first = c.frames(0);
        EXPECT_EQ(std::make_tuple(anim.trackCount, anim.codec, anim.trackType, anim.alphaMode, anim.width, anim.height),
                  std::make_tuple(1, std::string("V_VP9"), 1u, 1u, first.width, first.height));
        EXPECT_EQ(std::make_tuple(anim.timecodeScale, anim.durationMs, anim.defaultDurationNs),
                  std::make_tuple(1000000u, double(c.count * c.frameMs), std::uint64_t(c.frameMs) * 1000000));
        ASSERT_EQ(anim.frames.size(), size_t(c.count));
        // Where the seek entries and the cue point say, the parser met those elements.
        const auto& at = anim.elementsAt;
        for (std::uint32_t id : {0x1549A966u, 0x1654AE6Bu, 0x1C53BB6Bu})
            EXPECT_EQ(anim.seekEntries.count(id) ? std::vector<std::uint64_t>{anim.seekEntries.at(id)} : std::vector<std::uint64_t>{},
                      at.count(id) ? at.at(id) : std::vector<std::uint64_t>{}) << std::hex << id;
        ASSERT_EQ(anim.cues.size(), 1u);
        EXPECT_EQ(anim.cues[0], std::make_pair(std::uint64_t{0}, at.at(0x1F43B675u).at(0)));
        EXPECT_EQ(at.at(0x1F43B675u).size(), size_t(c.count * c.frameMs / 32768 + 1)) << "clusters";
        for (int k = 0; k < c.count; ++k) {
            SCOPED_TRACE("frame " + std::to_string(k));
            EXPECT_EQ(anim.timesMs[size_t(k)], std::int64_t{k} * c.frameMs);
            EXPECT_EQ(anim.keyFrames[size_t(k)], k == 0) << "one key frame, where the loop starts";
            EXPECT_TRUE(anim.withAlpha[size_t(k)]);
            const imagelib::Picture want = c.frames(k);
            const RgbaFrame& got = anim.frames[size_t(k)];
            for (int page : {0, 255}) EXPECT_GE(PsnrOver(got, want, page), c.leastDb) << "over " << page;
            for (const auto& [x, y] : {std::pair{0, 0}, {got.width - 1, 0}, {0, got.height - 1}, {got.width - 1, got.height - 1}})
                EXPECT_EQ(got.at(x, y)[3], 0) << "corner " << x << "," << y;
        }
    }
}

// A coin of fine, colourful detail, clear around it: colours that change
// from one pixel to the next, which half-size chroma cannot hold as they are.
imagelib::Picture BusyCoin(int side, int k) {
    imagelib::Picture f(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double d = std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0) - side * 0.45;
            const unsigned grain = (x * 73856093u ^ y * 19349663u ^ k * 83492791u) % 41;
            std::uint8_t* p = f.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(127 + 120 * std::sin(x * 0.9 + k));
            p[1] = static_cast<std::uint8_t>(127 + 120 * std::sin(y * 0.7 + x * 0.4));
            p[2] = static_cast<std::uint8_t>(90 + grain * 3);
            p[3] = static_cast<std::uint8_t>(std::lround(255 * std::clamp(0.5 - d, 0.0, 1.0)));
        }
    return f;
}

// Each luma chosen for what a player shows beside the chroma, however it
// spreads the chroma: both ways beat each pixel keeping its own luma
// (20.7 to 20.8 dB with nearest, 22.0 dB with bilinear).
TEST(Webm, FineColourfulDetailIsShownTrueWithChromaSpreadEitherWay) {
    const FrameSource frames = [](int k) { return BusyCoin(96, k); };
    std::vector<std::uint8_t> bytes;
    std::string why;
    WebmSettings settings;
    settings.quality = 95;
    ASSERT_TRUE(EncodeWebm(frames, 4, 60, settings, bytes, why)) << why;
    TempFolder dir{"webm"};
    std::ofstream(dir / "busy.webm", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                            static_cast<std::streamsize>(bytes.size()));
    for (const auto& [way, leastDb] : {std::pair{ChromaUpsampling::Nearest, 21.0}, {ChromaUpsampling::Bilinear, 22.3}}) {
        const WebmAnimation anim = ReadWebm(dir / "busy.webm", way);
        ASSERT_TRUE(anim.ok) << anim.error;
        ASSERT_EQ(anim.frames.size(), 4u);
        for (int k = 0; k < 4; ++k)
            for (int page : {0, 255})
                EXPECT_GE(PsnrOver(anim.frames[size_t(k)], frames(k), page), leastDb)
                    << (way == ChromaUpsampling::Nearest ? "nearest" : "bilinear") << ", frame " << k << " over " << page;
    }
}

// Trials that share the frames in YUV and the alpha stream make the very
// bytes of encodes made alone, whichever quality comes first, from two
// threads at once; the alpha below 60 is a stream of its own.
TEST(Webm, EncodesSharingTheirFramesAreTheBytesOfEncodesMadeAlone) {
    const FrameSource frames = [](int k) { return BusyCoin(64, k); };
    const std::vector<std::pair<int, int>> qualities = {{90, 60}, {40, 40}, {70, 60}};
    std::vector<std::vector<std::uint8_t>> alone(qualities.size()), shared(qualities.size());
    const auto at = [&qualities](size_t i) {
        WebmSettings settings;
        settings.quality = qualities[i].first;
        settings.alphaQuality = qualities[i].second;
        return settings;
    };
    std::string why;
    for (size_t i = 0; i < qualities.size(); ++i) ASSERT_TRUE(EncodeWebm(frames, 6, 50, at(i), alone[i], why)) << why;
    WebmShared turn;
    std::string whys[2];
    bool ok[2] = {false, false};
    ParallelFor(2, [&](int t) { ok[t] = EncodeWebm(frames, 6, 50, at(size_t(t)), shared[size_t(t)], whys[t], &turn); });
    ASSERT_TRUE(ok[0] && ok[1]) << whys[0] << whys[1];
    ASSERT_TRUE(EncodeWebm(frames, 6, 50, at(2), shared[2], why, &turn)) << why;
    for (size_t i = 0; i < qualities.size(); ++i) EXPECT_TRUE(shared[i] == alone[i]) << "quality " << qualities[i].first;
    EXPECT_NE(alone[0], alone[2]);
    // Another turn is refused, not mixed in.
    std::vector<std::uint8_t> other;
    EXPECT_FALSE(EncodeWebm(frames, 5, 50, WebmSettings{}, other, why, &turn));
}

}  // namespace
}  // namespace pivra::test
