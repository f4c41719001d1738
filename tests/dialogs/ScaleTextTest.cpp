// The scale dialog's number reader, against values worked out by hand: the
// leading number (blanks inside it ignored), halves to even, then only 1 to 50.
#include <gtest/gtest.h>

#include "dialogs/ScaleText.h"

namespace pivra {
namespace {

TEST(ScaleText, OnlyScalesFromOneToFiftyMoveTheScrollBar) {
    struct Case { const char* text; std::optional<int16_t> scale; };
    const std::optional<int16_t> none;
    const Case cases[] = {
        {"16", 16},      {" 9", 9},        {"12.5", 12},     {"13.5", 14},    {"1 2", 12},     {"50", 50},
        {"1", 1},        {"1.5", 2},       {"2.5", 2},       {"50.5", 50},    {" 1 2 . 5 ", 12}, {"+7", 7},
        {"7-", 7},       {"3.1.4", 3},     {"5.", 5},        {"1 E 1", 10},   {"2.5e1", 25},   {"4e+1", 40},
        {"5e1", 50},     {"4.95e1", 50},   {"12e+", 12},     {"12ex", 12},    {"9x9", 9},      {"\t8", 8},
        {"00050", 50},   {"12.4999", 12},  {"12.5001", 13},
        {"0.5", none},   {".5", none},     {"50.6", none},   {"51", none},    {"0", none},     {"-5", none},
        {"- 7", none},   {"", none},       {"   ", none},    {"abc", none},   {"-", none},     {".", none},
        {"+-3", none},   {"e5", none},     {"0x10", none},   {"99999", none}, {"1e400", none}, {"1e-400", none},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleFromText(c.text), c.scale) << '"' << c.text << '"';
}

}  // namespace
}  // namespace pivra
