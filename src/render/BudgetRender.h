#pragma once
// The animation of a render request made to fit a byte budget: the side and
// format stay; the fit chooses the frame count, frame time and the format's
// quality (colours for GIF, quality for WebP and WebM, full colour or a
// palette size for APNG) by trial encodes, each frame count rendered once and shared.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/BudgetFit.h"
#include "render/RenderAnimation.h"

namespace pivra {

struct Budget {
    std::size_t maxBytes = 0;
    int longestTurnMs = 0;     // 0: no limit
    int shortestFrameMs = 20;  // from the highest frame rate allowed
};

struct BudgetOutcome {
    FitResult fit;
    std::string line;          // DescribeFit's: what was chosen, or the cheapest tried
    std::vector<std::uint8_t> bytes;  // the file, when it fits
};

// The levels the fit chooses among for a format, best-looking first, and
// how each reads in the line.
std::vector<int> FitLevels(AnimationFormat format);
std::string LevelText(AnimationFormat format, int level);
// The encoder settings of one level over the caller's (the GIF's matte kept).
EncodeSettings SettingsAt(AnimationFormat format, int level, const EncodeSettings& base);

// false with why when the pictures cannot be read or an encoder refuses;
// true otherwise, with outcome.fit.fits telling whether anything fitted.
// request.coin.frames and request.frameMs are the turn asked for.
bool RenderWithinBudget(const RenderRequest& request, AnimationFormat format, const EncodeSettings& base,
                        const Budget& budget, BudgetOutcome& outcome, std::string& why);

}  // namespace pivra
