#pragma once
// The main window's state that the build, the preview and the import share.
// Whole numbers are 16-bit, as everything sized from the scale fits in them.
#include <cstdint>
#include <string>

namespace pivra {

struct PivraState {
    std::string AppStr;       // application (working) folder, ending in "/"
    int16_t i_size = 192;     // side of every square picture: 12 x scale
    int16_t SpinStep = 16;    // width change per tick and per frame: the scale
    int16_t SpinPos = 0;      // signed face width of the current frame
    bool ShowHead = true;
    bool BuildRequested = false;
    std::string HeadFile;     // empty while the picture is missing
    std::string TailFile;
    bool CropToSquare = false;  // faces from the pictures' centre squares, not squeezed whole
    // "#rrggbb": the page the GIF will lie on, which its edges blend into;
    // empty for none (white, as the build always did).
    std::string PageColour;
};

}  // namespace pivra
