// The picture cache's parts: the byte bound and its order of eviction; packing, which gives back the same
// pixels and flags; a GIF we write is remembered exactly as the GIF reader reads it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>

#include "BoundedCache.h"
#include "GifDecoder.h"
#include "GifEncoder.h"
#include "GifIndexedReader.h"
#include "PackedPicture.h"

namespace pivra::imagelib {
namespace {

TEST(BoundedCache, KeepsWithinItsBytesDroppingTheLeastRecentlyUsed) {
    BoundedCache<int, std::string> cache(350);
    auto value = [](int n) { return std::make_shared<const std::string>(std::to_string(n)); };
    for (int key = 0; key < 3; ++key) cache.insert(key, value(key), 100);
    ASSERT_NE(cache.find(0), nullptr);  // 0 is now the most recently used
    cache.insert(3, value(3), 100);     // 1 goes
    EXPECT_EQ(cache.find(1), nullptr);
    for (int key : {0, 2, 3}) EXPECT_EQ(*cache.find(key), std::to_string(key));
    EXPECT_EQ(cache.bytes(), 300u);

    cache.insert(4, value(4), 250);  // needs two to go: 0 and 2 are older than 3
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.bytes(), 350u);
    EXPECT_NE(cache.find(3), nullptr);

    cache.insert(3, value(33), 50);  // the same key replaces, with its new size
    EXPECT_EQ(*cache.find(3), "33");
    EXPECT_EQ(cache.bytes(), 300u);
    cache.insert(3, value(333), 400);  // larger than the bound: not kept, and the old one gone too
    EXPECT_EQ(cache.find(3), nullptr);
    EXPECT_EQ(cache.bytes(), 250u);
}

Picture pictureWith(int colours, bool palette, bool matte) {
    Picture picture(61, 47);
    for (std::size_t i = 0; i < picture.pixelCount(); ++i) {
        const int c = static_cast<int>((i * 7919) % static_cast<std::size_t>(colours));
        std::uint8_t* p = &picture.rgba[i * 4];
        p[0] = std::uint8_t(c), p[1] = std::uint8_t(c >> 8), p[2] = std::uint8_t(c * 3), p[3] = c % 5 == 0 ? 0 : 255;
    }
    picture.palette = palette;
    picture.matte = matte;
    return picture;
}

// Packed and unpacked, and through a GIF we write: what is remembered of it (packed from the written
// indices, or read back whole-screen) is what the GIF reader gives.
TEST(PackedPicture, GivesBackThePixelsAndFlagsAndAWrittenGifAsItReadsBack) {
    const struct { int colours; bool palette, matte, packs; } cases[] = {
        {1, true, false, true},   {2, false, true, true},   {256, true, true, true},
        {256, false, false, true}, {257, true, false, false}, {5000, false, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.colours) + " colours");
        auto original = std::make_shared<const Picture>(pictureWith(c.colours, c.palette, c.matte));
        const PackedPicture packed(original);
        const std::shared_ptr<const Picture> back = packed.unpack();
        EXPECT_EQ(std::tie(back->width, back->height), std::tie(original->width, original->height));
        EXPECT_TRUE(back->rgba == original->rgba);
        EXPECT_EQ(std::tie(back->palette, back->matte), std::tie(c.palette, c.matte));
        if (c.packs) EXPECT_LT(packed.bytes(), original->rgba.size() / 2);
        else EXPECT_EQ(back, original);  // held as it is, not copied

        IndexedPicture written;
        const std::vector<std::uint8_t> bytes = encodeGif({*original}, AnimationSettings{}, &written);
        const Picture read = decodeGifFirstFrame(bytes, "written.gif");
        const std::optional<PackedPicture> direct = readWholeScreenGif(bytes);
        ASSERT_TRUE(direct.has_value());
        for (const auto& gif : {PackedPicture(written).unpack(), direct->unpack()}) {
            EXPECT_TRUE(gif->rgba == read.rgba);
            EXPECT_EQ(std::tie(gif->palette, gif->matte), std::tie(read.palette, read.matte));
        }
    }
}

}  // namespace
}  // namespace pivra::imagelib
