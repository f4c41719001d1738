#pragma once
// Every position, size and font size of the main window, worked out from the
// face size alone. Positions are pixels in the client area below the menu
// bar; the hint labels' positions are in their panes' own coordinates.
#include <array>
#include <cstdint>

namespace pivra {

struct Box {
    int top = 0, left = 0, height = 0, width = 0;
    bool operator==(const Box& o) const {
        return top == o.top && left == o.left && height == o.height && width == o.width;
    }
};

struct MainLayoutNumbers {
    int clientWidth = 0, clientHeight = 0;          // the area below the menu bar
    int outerWidthTwips = 0, outerHeightTwips = 0;  // the framed window the sizes come from
    int buttonFontPoints = 0, hintFontPoints = 0;
    int hintHeight = 0, hintWidth = 0;
    std::array<Box, 4> panes;  // head, tail, preview, result frame
    bool hintsFit = false;     // false: all three hints are hidden
    std::array<Box, 3> hints;  // centred in panes 1 to 3 (only meaningful when they fit)
    Box viewer, createButton, saveButton, progressBar;
};

// i_size is 12 to 600 (scales 1 to 50).
MainLayoutNumbers MainLayout(int16_t i_size);

}  // namespace pivra
