#include <gtest/gtest.h>

#include <cstring>

#include "imagecmd/ArgBlock.h"

namespace pivra {
namespace {

TEST(ArgBlock, RowsHoldNinetyNineBytesWithTheTerminatorInTheLastByte) {
    ArgBlock block;
    const std::string longest(99, 'p');
    AppendArg(block, "Morphex.dll");
    AppendArg(block, longest);
    ASSERT_FALSE(block.overflowed);
    EXPECT_EQ(block.argc, 2);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(block.argv[1]), &block.argBytes[1][0]);
    EXPECT_EQ(0, std::memcmp(block.argBytes[1], longest.data(), 99));
    EXPECT_EQ(block.argBytes[1][99], 0);
    // The neighbouring row is untouched.
    EXPECT_EQ(block.argBytes[2][0], 0);
}

TEST(ArgBlock, HundredBytesAreRefusedAndNothingSpills) {
    ArgBlock block;
    AppendArg(block, "Morphex.dll");
    AppendArg(block, std::string(100, 'q'));
    AppendArg(block, "after");
    EXPECT_TRUE(block.overflowed);
    EXPECT_EQ(block.refused, std::string(100, 'q'));
    EXPECT_EQ(block.argc, 1);
    for (int row = 1; row < kArgRows; ++row) {
        EXPECT_EQ(block.argv[row], nullptr);
        for (int b = 0; b < kArgRowBytes; ++b) ASSERT_EQ(block.argBytes[row][b], 0) << row << "," << b;
    }
}

TEST(ArgBlock, EmptyTextTakesARowAndUnusedEntriesStayZero) {
    ArgBlock block;
    AppendArg(block, "Layerik.dll");
    AppendArg(block, "");
    EXPECT_EQ(block.argc, 2);
    ASSERT_NE(block.argv[1], nullptr);
    EXPECT_EQ(block.argv[1][0], '\0');
    for (int i = 2; i < kArgRows; ++i) EXPECT_EQ(block.argv[i], nullptr);
}

TEST(ArgBlock, TwentyOneArgumentsFitATwentySecondIsRefused) {
    ArgBlock block;
    for (int i = 0; i < 21; ++i) AppendArg(block, "a" + std::to_string(i));
    EXPECT_FALSE(block.overflowed);
    EXPECT_EQ(block.argc, 21);
    EXPECT_STREQ(block.argv[20], "a20");
    AppendArg(block, "one too many");
    EXPECT_TRUE(block.overflowed);
    EXPECT_EQ(block.argc, 21);
}

TEST(ArgBlock, StringToRowRefusesRowsOutsideTheBlock) {
    ArgBytes bytes = {};
    const int16_t below = -1, above = 21, last = 20;
    EXPECT_EQ(StringToRow("x", bytes, below), nullptr);
    EXPECT_EQ(StringToRow("x", bytes, above), nullptr);
    EXPECT_EQ(StringToRow("x", bytes, last), reinterpret_cast<char*>(bytes[20]));
    // Multi-byte UTF-8 is stored byte for byte.
    EXPECT_STREQ(StringToRow("t\xC3\xAAte", bytes, last), "t\xC3\xAAte");
}

}  // namespace
}  // namespace pivra
