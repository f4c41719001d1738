#include "render/BudgetFit.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <map>
#include <tuple>

namespace pivra {

namespace {

// Each setting's size, encoded once; with two threads, the second of a pair
// of trials runs beside the first.
class Trials {
public:
    Trials(const FitLimits& limits, const TrialEncoder& encode, int threads, FitResult& result)
        : limits_(limits), encode_(encode), threads_(threads), result_(result) {}

    bool fits(const FitSetting& s) { return fitting({s}).front(); }
    // Whether each fits, the first two at once.
    std::vector<bool> fitting(const std::vector<FitSetting>& settings) {
        std::vector<FitSetting> fresh;
        for (const FitSetting& s : settings)
            if (!sizes_.count(key(s)) && std::find(fresh.begin(), fresh.end(), s) == fresh.end()) fresh.push_back(s);
        std::future<std::optional<std::size_t>> beside;
        if (threads_ > 1 && fresh.size() > 1)
            beside = std::async(std::launch::async, [this, &second = fresh[1]] { return encode_(second); });
        for (size_t i = 0; i < fresh.size(); ++i) {
            sizes_[key(fresh[i])] = i == 1 && beside.valid() ? beside.get() : encode_(fresh[i]);
            ++result_.encodes;
        }
        std::vector<bool> out;
        for (const FitSetting& s : settings) {
            const std::optional<std::size_t>& size = sizes_[key(s)];
            out.push_back(size && *size <= limits_.maxBytes);
        }
        return out;
    }
    std::optional<std::size_t> sizeOf(const FitSetting& s) {
        fits(s);
        return sizes_[key(s)];
    }

private:
    static std::tuple<int, int, int> key(const FitSetting& s) { return {s.frames, s.frameMs, s.level}; }

    const FitLimits& limits_;
    const TrialEncoder& encode_;
    int threads_;
    FitResult& result_;
    std::map<std::tuple<int, int, int>, std::optional<std::size_t>> sizes_;
};

// The first of `frames` (in order) that fits at `level`, trying them in
// pairs when two threads run.
std::optional<int> FirstFitting(Trials& trials, const std::vector<int>& frames, int level, int threads,
                                const std::function<FitSetting(int, int)>& setting) {
    for (size_t i = 0; i < frames.size(); i += size_t(threads)) {
        std::vector<FitSetting> pair;
        for (size_t j = i; j < std::min(frames.size(), i + size_t(threads)); ++j) pair.push_back(setting(frames[j], level));
        const std::vector<bool> fit = trials.fitting(pair);
        for (size_t j = 0; j < fit.size(); ++j)
            if (fit[j]) return frames[i + j];
    }
    return std::nullopt;
}

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

FitResult FitBudget(const FitLimits& limits, const TrialEncoder& encode, int threads) {
    FitResult result;
    threads = std::clamp(threads, 1, 2);
    const int levels = static_cast<int>(std::clamp<size_t>(limits.levels.size(), 1, 16));
    const int middle = (levels - 1) / 2, smallest = levels - 1;
    const int least = std::min(limits.leastFrames, limits.frames);
    // The frame counts a turn can be made of; fewer: below the least, the last resort.
    std::vector<int> counts, fewer;
    for (int n : {limits.frames, 40, 32, 24, 20, 16, 12, 8})
        if ((n < limits.frames || n == limits.frames) && FitFrameMs(limits, n) > 0 &&
            std::find(counts.begin(), counts.end(), n) == counts.end())
            (n >= least ? counts : fewer).push_back(n);
    Trials trials(limits, encode, threads, result);
    const std::function<FitSetting(int, int)> setting = [&limits](int frames, int level) {
        return FitSetting{frames, FitFrameMs(limits, frames), level};
    };

    // The most frames that fit: at the middle level, then at the smallest.
    std::optional<FitSetting> found;
    int best = 0;  // the best level that may still fit at found's frame count
    for (int level : {middle, smallest}) {
        if (const std::optional<int> n = FirstFitting(trials, counts, level, threads, setting)) {
            found = setting(*n, level);
            best = level == middle ? 0 : middle + 1;
            break;
        }
        if (middle == smallest) break;
    }
    if (!found)
        if (const std::optional<int> n = FirstFitting(trials, fewer, smallest, threads, setting)) found = setting(*n, smallest);

    if (!found) {
        // The cheapest setting tried says by how much the budget is missed.
        const std::vector<int>& tried = fewer.empty() ? counts : fewer;
        if (tried.empty()) return result;  // no frame count makes a short enough turn
        result.chosen = setting(tried.back(), smallest);
        const std::optional<std::size_t> size = trials.sizeOf(result.chosen);
        result.bytes = size.value_or(0);
        result.missedBy = result.bytes > limits.maxBytes ? result.bytes - limits.maxBytes : 0;
        return result;
    }
    // Narrowing between the best level and the one that fits: by halves,
    // or by thirds with two trials at once.
    int lo = std::min(best, found->level), hi = found->level;
    while (lo < hi) {
        if (threads == 1 || hi - lo < 3) {
            const int mid = (lo + hi) / 2;
            if (trials.fits(setting(found->frames, mid))) hi = mid;
            else lo = mid + 1;
            continue;
        }
        const int a = lo + (hi - lo) / 3, b = lo + 2 * (hi - lo) / 3;
        const std::vector<bool> fit = trials.fitting({setting(found->frames, a), setting(found->frames, b)});
        if (fit[0]) hi = a;
        else if (fit[1]) lo = a + 1, hi = b;
        else lo = b + 1;
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
