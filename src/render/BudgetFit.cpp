#include "render/BudgetFit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace pivra {

namespace {

class Trials {
public:
    Trials(const FitLimits& limits, const TrialEncoder& encode, FitResult& result)
        : limits_(limits), encode_(encode), result_(result) {}

    bool fits(const FitSetting& s) {
        const std::optional<std::size_t> size = sizeOf(s);
        return size && *size <= limits_.maxBytes;
    }
    std::optional<std::size_t> sizeOf(const FitSetting& s) {
        const auto key = std::make_tuple(s.frames, s.frameMs, s.level);
        auto found = sizes_.find(key);
        if (found != sizes_.end()) return found->second;
        ++result_.encodes;
        return sizes_[key] = encode_(s);
    }

private:
    const FitLimits& limits_;
    const TrialEncoder& encode_;
    FitResult& result_;
    std::map<std::tuple<int, int, int>, std::optional<std::size_t>> sizes_;
};

}  // namespace

int FitFrameMs(const FitLimits& limits, int frames) {
    if (frames <= 0) return 0;
    const long turn = long{limits.frames} * limits.frameMs;
    long ms = std::lround(double(turn) / frames);
    if (limits.longestTurnMs > 0) ms = std::min(ms, long{limits.longestTurnMs} / frames);
    ms = std::min(ms, 1000L);
    if (ms < limits.shortestFrameMs) {
        // Too many frames for the longest turn at the highest frame rate.
        if (long{limits.shortestFrameMs} * frames > limits.longestTurnMs && limits.longestTurnMs > 0) return 0;
        ms = limits.shortestFrameMs;
    }
    return static_cast<int>(ms);
}

FitResult FitBudget(const FitLimits& limits, const TrialEncoder& encode) {
    FitResult result;
    const int levels = static_cast<int>(std::clamp<size_t>(limits.levels.size(), 1, 16));
    const int middle = (levels - 1) / 2, smallest = levels - 1;
    const int least = std::min(limits.leastFrames, limits.frames);
    std::vector<int> counts{limits.frames}, fewer;  // fewer: below the least, the last resort
    for (int n : {40, 32, 24, 20, 16, 12, 8})
        if (n < limits.frames) (n >= least ? counts : fewer).push_back(n);
    Trials trials(limits, encode, result);
    const auto setting = [&limits](int frames, int level) { return FitSetting{frames, FitFrameMs(limits, frames), level}; };
    const auto usable = [&limits](int frames) { return FitFrameMs(limits, frames) > 0; };

    // The most frames that fit: at the middle level, then at the smallest.
    std::optional<FitSetting> found;
    int best = 0;  // the best level that may still fit at found's frame count
    for (int level : {middle, smallest}) {
        for (int n : counts)
            if (usable(n) && trials.fits(setting(n, level))) {
                found = setting(n, level);
                best = level == middle ? 0 : middle + 1;
                break;
            }
        if (found || level == smallest) break;
    }
    for (size_t i = 0; !found && i < fewer.size(); ++i)
        if (usable(fewer[i]) && trials.fits(setting(fewer[i], smallest))) found = setting(fewer[i], smallest);

    if (!found) {
        // The cheapest setting tried says by how much the budget is missed.
        for (int n : fewer.empty() ? counts : fewer)
            if (usable(n)) result.chosen = setting(n, smallest);
        const std::optional<std::size_t> size = trials.sizeOf(result.chosen);
        result.bytes = size.value_or(0);
        result.missedBy = result.bytes > limits.maxBytes ? result.bytes - limits.maxBytes : 0;
        return result;
    }
    // Halving between the best level and the one that fits.
    int lo = std::min(best, found->level), hi = found->level;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (trials.fits(setting(found->frames, mid))) hi = mid;
        else lo = mid + 1;
    }
    result.fits = true;
    result.chosen = setting(found->frames, hi);
    result.bytes = *trials.sizeOf(result.chosen);
    result.belowLeastFrames = found->frames < least;
    return result;
}

std::string DescribeFit(const std::string& format, int side, const FitResult& fit, const std::string& levelText) {
    std::string bytes = std::to_string(fit.bytes);
    for (int at = static_cast<int>(bytes.size()) - 3; at > 0; at -= 3) bytes.insert(static_cast<size_t>(at), " ");
    std::string line = format + " " + std::to_string(side) + " px, " + std::to_string(fit.chosen.frames) + " frames x " +
                       std::to_string(fit.chosen.frameMs) + " ms, " + levelText + ", " + bytes + " bytes";
    if (fit.belowLeastFrames) line += " (fewer than 24 frames: the budget allows no more)";
    return line;
}

}  // namespace pivra
