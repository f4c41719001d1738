#pragma once
// One turn of the coin as the animation shows it: the twelve strip widths and
// the fifty frames, each with its signed width and face. The GIF build walks
// it with image commands, the in-memory render with pixels.
#include <cstdint>
#include <vector>

namespace pivra {

struct PlannedFrame {
    int16_t spinPos = 0;    // signed width: negative while the face shrinks
    bool showHead = true;   // the preview's ShowHead at this frame
    int16_t width() const { return static_cast<int16_t>(spinPos < 0 ? -spinPos : spinPos); }
    bool blank() const { return spinPos == 0; }  // edge-on: nothing to show
    // The animation shows the face the preview does not.
    bool headFace() const { return !showHead; }
};

struct FramePlan {
    std::vector<int16_t> stripWidths;  // step, 2 x step, ..., i_size
    std::vector<PlannedFrame> frames;  // 50, in order
    int16_t spinPosAfter = 0;          // where the frame loop leaves SpinPos
};

// i_size is 12 x step. showHead: ShowHead when the build starts (the trigger
// starts every build with the head shown).
FramePlan PlanFrames(int16_t i_size, int16_t step, bool showHead = true);

}  // namespace pivra
