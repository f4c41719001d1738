#pragma once
// The search for the best-looking animation within a byte budget: for a
// fixed side and format, which quality (or palette size), frame count and
// frame time to encode. Pure and deterministic: it only asks a trial
// encoder for the size of each setting it tries, at most kMaxFitEncodes
// times, in an order fixed by its inputs.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pivra {

struct FitSetting {
    int frames = 50;   // one whole turn
    int frameMs = 60;
    int level = 0;     // index into FitLimits::levels: 0 looks best
    bool operator==(const FitSetting& o) const {
        return frames == o.frames && frameMs == o.frameMs && level == o.level;
    }
};

struct FitLimits {
    std::size_t maxBytes = 0;
    int longestTurnMs = 0;  // the most a turn may last (2990 for "under 3 s"); 0: no limit
    int shortestFrameMs = 20;  // from a highest frame rate, or the format's least
    int frames = 50, frameMs = 60;  // the turn asked for, kept when it fits
    int leastFrames = 24;           // kept unless the budget cannot be met otherwise
    // A frame more costs little (WebM codes each frame from the one before):
    // when no frame count fits at the middle level, the most that fit at the
    // smallest are kept, not the least.
    bool framesCheap = false;
    // The format's settings from best-looking to smallest, as the encoder
    // names them (quality 90, 80, ... or 256, 128, ... colours); at least one.
    std::vector<int> levels;
};

struct FitResult {
    bool fits = false;
    FitSetting chosen;        // when it fits; otherwise the cheapest setting tried
    std::size_t bytes = 0;    // of chosen
    std::size_t missedBy = 0; // when nothing fits: chosen's bytes over the budget
    bool belowLeastFrames = false;
    int encodes = 0;          // trial encodes run
};

// The size of the file one setting makes; nothing when it cannot be made.
using TrialEncoder = std::function<std::optional<std::size_t>(const FitSetting&)>;

inline constexpr int kMaxFitEncodes = 22;

// The frame time for `frames` frames that keeps the turn nearest the one
// asked for, at most longestTurnMs in all, at least shortestFrameMs and at
// most 1000 a frame; 0 when so many frames cannot make a turn short enough.
int FitFrameMs(const FitLimits& limits, int frames);

// The choice: the most frames (the turn asked for, then 40, 32 and 24) that
// fit at the middle level, or failing that 24 when it fits at the smallest
// (framesCheap: the most that fit at the smallest);
// then, for that frame count, the best level that fits. Below 24 frames (20,
// 16, 12, 8) only when even the smallest level at 24 does not fit.
// The search: first the turn asked for at the middle level and at the best.
// From the sizes measured it predicts the rest, taking that a smaller level
// never makes a larger file and a frame never takes fewer bytes when the
// turn has fewer: a frame count whose frames would already make too many
// bytes is not tried, and the next trial goes where the estimates put the
// change (a frame's bytes drawn straight in logarithm between levels),
// together with the setting beside it that confirms it; later rounds halve
// what is still open, two at a time. At most 2 + 3 + 4 + 4 trials for the
// frames, 8 for the level (16 levels at most) and 1 more for the setting
// reported: kMaxFitEncodes; usually 2 to 7. A trial is never run twice.
// An encoder that breaks those rules still gets a choice that fits, checked
// by its own trial, at the cost of up to one trial a level more.
// The trials asked for never depend on the threads: with two, the two
// trials of a round run at once, and encode is called from two threads.
FitResult FitBudget(const FitLimits& limits, const TrialEncoder& encode, int threads = 1);

// "128 000": digits in threes, as the fit's line writes bytes.
std::string GroupedDigits(std::size_t n);

// One line: "GIF 128 px, 40 frames x 60 ms, 128 colours, 97 512 bytes".
std::string DescribeFit(const std::string& format, int side, const FitResult& fit, const std::string& levelText);

}  // namespace pivra
