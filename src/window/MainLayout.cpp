#include "window/MainLayout.h"

namespace pivra {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kProgressTop = -6, kProgressHeight = 17, kButtonHeight = 16;
}  // namespace

MainLayoutNumbers MainLayout(int16_t i_size) {
    const int i = i_size;
    MainLayoutNumbers m;

    // The framed window is 2i+24 by 2i+67; the frame and menu bar are the
    // platform's here, so the area inside them is what is fixed.
    m.outerHeightTwips = (2 * i + 33) * kTwipsPerPixel + 510;
    m.outerWidthTwips = (2 * i + 16) * kTwipsPerPixel + 120;
    m.clientWidth = 2 * i + 16;
    m.clientHeight = 2 * i + 35;

    const int s = i / 12;
    if (s - 6 <= 0) {
        m.buttonFontPoints = m.hintFontPoints = 1;
    } else {
        m.buttonFontPoints = s - 6;
        m.hintFontPoints = s - 2;
    }
    if (i > 192) {
        m.buttonFontPoints = 10;
        m.hintFontPoints = 14;
    }

    m.hintHeight = i + 4 >= 100 ? 100 : i;
    m.hintWidth = i + 4 >= 130 ? 130 : i - 12;

    const int pane = i + 4;
    m.panes = {Box{7, 3, pane, pane}, Box{7, i + 9, pane, pane}, Box{i + 13, 3, pane, pane},
               Box{i + 13, i + 9, pane, pane}};

    m.hintsFit = pane - m.hintHeight > 4;
    for (Box& h : m.hints)
        h = Box{(pane - m.hintHeight) / 2, (pane - m.hintWidth) / 2, m.hintHeight, m.hintWidth};

    m.viewer = Box{i + 16, i + 12, i, i};
    m.createButton = Box{2 * i + 19, 3, kButtonHeight, i / 2};
    m.saveButton = Box{2 * i + 19, (i + 4) / 2 + 3, kButtonHeight, i / 2};
    m.progressBar = Box{kProgressTop, -2, kProgressHeight, 2 * i + 20};
    return m;
}

}  // namespace pivra
