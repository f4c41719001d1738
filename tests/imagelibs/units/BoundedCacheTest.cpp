// The picture cache's byte bound and its order of eviction. Packing is tested through the cache, against
// Qt's and ImageMagick's readings (PictureCacheTest, ResizeTest) and the plain path (WholePlanTest).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BoundedCache.h"

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

}  // namespace
}  // namespace pivra::imagelib
