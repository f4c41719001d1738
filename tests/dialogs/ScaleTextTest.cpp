// The scale dialog's number reader, against values worked out by hand.
#include <gtest/gtest.h>

#include <limits>

#include "dialogs/ScaleText.h"

namespace pivra {
namespace {

TEST(ScaleText, ReadsTheLeadingNumber) {
    struct Case { const char* text; double number; };
    const Case cases[] = {
        {"16", 16},        {" 16", 16},       {"1 2", 12},        {" 1 2 . 5 ", 12.5},  {"12.5", 12.5},
        {"+7", 7},         {"- 7", -7},       {"7-", 7},          {"3.1.4", 3.1},       {".5", 0.5},
        {"5.", 5},         {"1e1", 10},       {"1 E 2", 100},     {"2.5e-1", 0.25},     {"4e+1", 40},
        {"12e", 12},       {"12e+", 12},      {"12ex", 12},       {"9x9", 9},           {"\t8", 8},
        {"", 0},           {"   ", 0},        {"abc", 0},         {"-", 0},             {".", 0},
        {"+-3", 0},        {"e5", 0},         {"0x10", 0},        {"1e400", std::numeric_limits<double>::infinity()},
        {"1e-400", 0},     {"00050", 50},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadLeadingNumber(c.text), c.number) << '"' << c.text << '"';
}

TEST(ScaleText, NearestInt16HalvesToEven) {
    struct Case { double value; std::optional<int16_t> n; };
    const Case cases[] = {
        {12.5, 12},      {13.5, 14},      {0.5, 0},          {1.5, 2},          {-2.5, -2},
        {-3.5, -4},      {12.4999, 12},   {12.5001, 13},     {32767.4, 32767},  {32767.5, std::nullopt},
        {-32768.5, -32768}, {-32768.6, std::nullopt}, {1e10, std::nullopt},
        {std::numeric_limits<double>::infinity(), std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(NearestInt16(c.value), c.n) << c.value;
}

TEST(ScaleText, OnlyScalesFromOneToFiftyMoveTheScrollBar) {
    struct Case { const char* text; std::optional<int16_t> scale; };
    const Case cases[] = {
        {"16", 16},   {" 9", 9},     {"12.5", 12},  {"13.5", 14},  {"1 2", 12},   {"50", 50},
        {"1", 1},     {"0.5", std::nullopt},        {"1.5", 2},    {"50.5", 50},  {"50.6", std::nullopt},
        {"51", std::nullopt},        {"0", std::nullopt},          {"-5", std::nullopt},
        {"", std::nullopt},          {"abc", std::nullopt},        {"99999", std::nullopt},
        {"5e1", 50},  {"4.95e1", 50},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleFromText(c.text), c.scale) << '"' << c.text << '"';
}

}  // namespace
}  // namespace pivra
