// The argument block's limits: 21 rows of 100 bytes, nothing ever spills.
#include <gtest/gtest.h>

#include <string>

#include "imagecmd/ArgBlock.h"

namespace pivra {
namespace {

TEST(ArgBlock, NinetyNineBytesAndTwentyOneArgumentsFitMoreIsRefusedWithoutSpilling) {
    ArgBlock block;
    AppendArg(block, "Morphex.dll");
    AppendArg(block, std::string(99, 'p'));
    ASSERT_FALSE(block.overflowed);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(block.argv[1]), &block.argBytes[1][0]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.argBytes[1]), 100), std::string(99, 'p') + '\0');
    AppendArg(block, std::string(100, 'q'));
    AppendArg(block, "after");
    EXPECT_TRUE(block.overflowed && block.refused == std::string(100, 'q') && block.argc == 2);
    for (int row = 2; row < kArgRows; ++row) {
        EXPECT_EQ(block.argv[row], nullptr);
        for (int b = 0; b < kArgRowBytes; ++b) ASSERT_EQ(block.argBytes[row][b], 0) << row << "," << b;
    }

    ArgBlock full;
    for (int i = 0; i < 21; ++i) AppendArg(full, "a" + std::to_string(i));
    EXPECT_FALSE(full.overflowed);
    EXPECT_STREQ(full.argv[20], "a20");
    AppendArg(full, "one too many");
    EXPECT_TRUE(full.overflowed && full.argc == 21);
    ArgBytes bytes = {};
    EXPECT_EQ(StringToRow("x", bytes, -1), nullptr);
    EXPECT_EQ(StringToRow("x", bytes, 21), nullptr);
    EXPECT_STREQ(StringToRow("t\xC3\xAAte", bytes, 20), "t\xC3\xAAte");  // UTF-8 byte for byte
}

}  // namespace
}  // namespace pivra
