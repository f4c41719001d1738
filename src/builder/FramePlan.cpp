#include "FramePlan.h"

namespace pivra {

FramePlan PlanFrames(int16_t i_size, int16_t step, bool showHead) {
    FramePlan plan;
    for (int16_t w = step; w <= i_size; w = static_cast<int16_t>(w + step)) plan.stripWidths.push_back(w);
    // Two passes from -i_size to i_size; the face changes where the width is 0.
    int16_t pos = 0;
    for (int pass = 0; pass <= 1; ++pass)
        for (pos = static_cast<int16_t>(-i_size); pos <= i_size; pos = static_cast<int16_t>(pos + step)) {
            if (pos == 0) showHead = !showHead;
            plan.frames.push_back({pos, showHead});
        }
    plan.spinPosAfter = pos;
    return plan;
}

}  // namespace pivra
