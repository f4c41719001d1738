// The layout numbers against values worked out by hand from the layout rules.
#include <gtest/gtest.h>

#include <tuple>

#include "window/MainLayout.h"

namespace pivra {
namespace {

struct LayoutCase {
    int scale;
    int clientW, clientH, twipsW, twipsH;
    int buttonFont, hintFont, hintH, hintW;
    int pane, tailLeft, lowerTop;  // panes: (7,3) (7,tailLeft) (lowerTop,3) (lowerTop,tailLeft)
    bool fit;
    int hintTop, hintLeft;
    Box viewer, create, save, progress;
};

const LayoutCase kCases[] = {
    {1, 40, 59, 720, 1365, 1, 1, 12, 0, 16, 21, 25, false, 2, 8,
     {28, 24, 12, 12}, {43, 3, 16, 6}, {43, 11, 16, 6}, {-6, -2, 17, 44}},
    {8, 208, 227, 3240, 3885, 2, 6, 100, 84, 100, 105, 109, false, 0, 8,
     {112, 108, 96, 96}, {211, 3, 16, 48}, {211, 53, 16, 48}, {-6, -2, 17, 212}},
    {9, 232, 251, 3600, 4245, 3, 7, 100, 96, 112, 117, 121, true, 6, 8,
     {124, 120, 108, 108}, {235, 3, 16, 54}, {235, 59, 16, 54}, {-6, -2, 17, 236}},
    {11, 280, 299, 4320, 4965, 5, 9, 100, 130, 136, 141, 145, true, 18, 3,
     {148, 144, 132, 132}, {283, 3, 16, 66}, {283, 71, 16, 66}, {-6, -2, 17, 284}},
    // The worked example: window 6765 by 6120 twips, everything at 192.
    {16, 400, 419, 6120, 6765, 10, 14, 100, 130, 196, 201, 205, true, 48, 33,
     {208, 204, 192, 192}, {403, 3, 16, 96}, {403, 101, 16, 96}, {-6, -2, 17, 404}},
    {50, 1216, 1235, 18360, 19005, 10, 14, 100, 130, 604, 609, 613, true, 252, 237,
     {616, 612, 600, 600}, {1219, 3, 16, 300}, {1219, 305, 16, 300}, {-6, -2, 17, 1220}},
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, EveryNumberAtThisScale) {
    const LayoutCase& c = GetParam();
    const MainLayoutNumbers m = MainLayout(static_cast<int16_t>(12 * c.scale));
    EXPECT_EQ(std::tie(m.clientWidth, m.clientHeight, m.outerWidthTwips, m.outerHeightTwips, m.buttonFontPoints,
                       m.hintFontPoints, m.hintHeight, m.hintWidth),
              std::tie(c.clientW, c.clientH, c.twipsW, c.twipsH, c.buttonFont, c.hintFont, c.hintH, c.hintW));
    const Box panes[] = {{7, 3, c.pane, c.pane}, {7, c.tailLeft, c.pane, c.pane},
                         {c.lowerTop, 3, c.pane, c.pane}, {c.lowerTop, c.tailLeft, c.pane, c.pane}};
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(m.panes[k], panes[k]) << "pane " << k + 1;
    EXPECT_EQ(m.hintsFit, c.fit);
    if (c.fit) {
        for (const Box& h : m.hints) EXPECT_EQ(h, (Box{c.hintTop, c.hintLeft, c.hintH, c.hintW}));
    }
    EXPECT_EQ(std::tie(m.viewer, m.createButton, m.saveButton, m.progressBar),
              std::tie(c.viewer, c.create, c.save, c.progress));
}

INSTANTIATE_TEST_SUITE_P(Scales, Layout, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "scale" + std::to_string(info.param.scale); });

}  // namespace
}  // namespace pivra
