#include "render/BudgetFit.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <map>
#include <utility>

namespace pivra {

namespace {

enum class Known { Fits, Misses, Open };

// The sizes measured so far, what follows from them, and estimates of the
// rest. Two rules of thumb, true of the encoders to within a few bytes: a
// smaller level never makes a larger file, and a frame takes no fewer bytes
// when the turn has fewer frames.
class Trials {
public:
    Trials(const FitLimits& limits, const TrialEncoder& encode, int threads, FitResult& result)
        : limits_(limits), encode_(encode), threads_(threads), result_(result) {}

    // Encodes each setting not yet measured; two at once on two threads. The
    // settings asked for never depend on the threads, so neither do the sizes.
    void measure(const std::vector<FitSetting>& settings) {
        std::vector<FitSetting> fresh;
        for (const FitSetting& s : settings)
            if (!sizes_.count(key(s)) && std::find(fresh.begin(), fresh.end(), s) == fresh.end()) fresh.push_back(s);
        for (size_t i = 0; i < fresh.size(); i += size_t(threads_)) {
            const bool two = threads_ > 1 && i + 1 < fresh.size();
            std::future<std::optional<std::size_t>> beside;
            if (two) beside = std::async(std::launch::async, [this, &second = fresh[i + 1]] { return encode_(second); });
            sizes_[key(fresh[i])] = encode_(fresh[i]);
            if (two) sizes_[key(fresh[i + 1])] = beside.get();
            result_.encodes += two ? 2 : 1;
        }
    }

    std::optional<std::size_t> sizeOf(const FitSetting& s) {
        measure({s});
        return sizes_[key(s)];
    }

    Known known(int frames, int level) const {
        const auto found = sizes_.find({frames, level});
        if (found != sizes_.end()) return found->second && *found->second <= limits_.maxBytes ? Known::Fits : Known::Misses;
        for (const auto& [k, size] : sizes_) {
            if (!size) continue;  // says nothing of its neighbours
            const auto [m, l] = k;
            if (*size <= limits_.maxBytes && m >= frames && l <= level) return Known::Fits;
            // At least this many bytes: size * frames / m.
            if (*size > limits_.maxBytes && l >= level &&
                (m <= frames || double(*size) * frames / m > double(limits_.maxBytes)))
                return Known::Misses;
        }
        return Known::Open;
    }

    // The likely size: a frame's bytes from the nearest frame count measured
    // at that level, scaled as measured pairs of frame counts say; between
    // levels, the logarithm of a frame's bytes drawn straight.
    double estimate(int frames, int level) const {
        std::map<int, double> perFrame;  // level -> log bytes a frame, near `frames`
        std::map<int, int> nearest;
        const double e = exponent();
        for (const auto& [k, size] : sizes_) {
            const auto [m, l] = k;
            if (!size || *size == 0) continue;
            const auto n = nearest.find(l);
            if (n == nearest.end() || std::abs(m - frames) < std::abs(n->second - frames) ||
                (std::abs(m - frames) == std::abs(n->second - frames) && m > n->second)) {
                nearest[l] = m;
                perFrame[l] = std::log(double(*size)) + (e - 1) * std::log(double(frames) / m) - std::log(double(m));
            }
        }
        if (perFrame.empty()) return 0;
        return std::exp(logAt(perFrame, level)) * frames;
    }

private:
    static std::pair<int, int> key(const FitSetting& s) { return {s.frames, s.level}; }

    // How bytes grow with the frame count (size ~ frames^e), from the two
    // counts furthest apart measured at one level; 1 until then.
    double exponent() const {
        double e = 1, spread = 0;
        for (auto a = sizes_.begin(); a != sizes_.end(); ++a)
            for (auto b = std::next(a); b != sizes_.end(); ++b)
                if (a->first.second == b->first.second && a->second && b->second && *a->second && *b->second) {
                    const double s = std::abs(std::log(double(a->first.first) / b->first.first));
                    if (s > spread) {
                        spread = s;
                        e = std::log(double(*a->second) / *b->second) / std::log(double(a->first.first) / b->first.first);
                    }
                }
        return std::clamp(e, 0.3, 1.0);
    }

    // Straight between the nearest levels known, or on from the two nearest
    // beyond them; from a single level, a fifth fewer bytes a level.
    static double logAt(const std::map<int, double>& known, int level) {
        const auto exact = known.find(level);
        if (exact != known.end()) return exact->second;
        auto above = known.lower_bound(level);  // first level beyond
        std::map<int, double>::const_iterator a, b;
        if (known.size() == 1) return known.begin()->second - (level - known.begin()->first) * std::log(1.25);
        if (above == known.begin()) a = above, b = std::next(above);
        else if (above == known.end()) b = std::prev(above), a = std::prev(b);
        else b = above, a = std::prev(above);
        const double slope = (b->second - a->second) / (b->first - a->first);
        return a->second + slope * (level - a->first);
    }

    const FitLimits& limits_;
    const TrialEncoder& encode_;
    int threads_;
    FitResult& result_;
    std::map<std::pair<int, int>, std::optional<std::size_t>> sizes_;
};

// The first of `candidates` (best first; if one fits, all after it do) that
// fits, or candidates.size() when none does. The first round tries where
// the estimates put the change and the one before it, which confirm it
// together; each later round halves what is still open, two at a time.
size_t FirstFitting(Trials& trials, const std::vector<FitSetting>& candidates, double maxBytes) {
    const size_t count = candidates.size();
    for (bool guided = true;; guided = false) {
        size_t hi = count, lo = 0;
        for (size_t i = 0; i < count; ++i)
            if (trials.known(candidates[i].frames, candidates[i].level) == Known::Fits) {
                hi = i;
                break;
            }
        for (size_t i = 0; i < hi; ++i)
            if (trials.known(candidates[i].frames, candidates[i].level) == Known::Misses) lo = i + 1;
        if (lo >= hi) return hi;
        size_t at = lo + (hi - lo) / 2;
        if (guided) {
            at = hi;
            for (size_t i = lo; i < hi; ++i)
                if (trials.estimate(candidates[i].frames, candidates[i].level) <= maxBytes) {
                    at = i;
                    break;
                }
        }
        // The change at `at`: it and the one before it say so, or only one when
        // the other is known.
        std::vector<FitSetting> probe;
        if (at > lo) probe.push_back(candidates[at - 1]);
        if (at < hi) probe.push_back(candidates[at]);
        trials.measure(probe);
    }
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
            std::find(counts.begin(), counts.end(), n) == counts.end() &&
            std::find(fewer.begin(), fewer.end(), n) == fewer.end())
            (n >= least ? counts : fewer).push_back(n);
    Trials trials(limits, encode, threads, result);
    const auto setting = [&limits](int frames, int level) { return FitSetting{frames, FitFrameMs(limits, frames), level}; };
    const auto atLevel = [&setting](const std::vector<int>& frames, int level) {
        std::vector<FitSetting> out;
        for (int n : frames) out.push_back(setting(n, level));
        return out;
    };
    const double budget = double(limits.maxBytes);

    // The turn asked for at the middle level and at the best: often one of
    // them settles it.
    if (!counts.empty()) trials.measure({setting(counts.front(), middle), setting(counts.front(), 0)});

    // The most frames that fit at the middle level; failing that, the least
    // kept at the smallest level (a turn of more frames at a worse level
    // looks worse than fewer frames each drawn better), or the most when
    // frames are cheap; then below the least.
    std::optional<int> frames;
    std::vector<int> atSmallest(counts.empty() || limits.framesCheap ? counts.begin() : counts.end() - 1, counts.end());
    for (const auto& [list, level] : {std::pair{&counts, middle}, std::pair{&atSmallest, smallest}, std::pair{&fewer, smallest}}) {
        const size_t at = FirstFitting(trials, atLevel(*list, level), budget);
        if (at < list->size()) {
            frames = (*list)[at];
            break;
        }
    }
    if (!frames) {
        // The cheapest setting tried says by how much the budget is missed.
        const std::vector<int>& tried = fewer.empty() ? counts : fewer;
        if (tried.empty()) return result;  // no frame count makes a short enough turn
        result.chosen = setting(tried.back(), smallest);
        const std::optional<std::size_t> size = trials.sizeOf(result.chosen);
        result.bytes = size.value_or(0);
        result.missedBy = result.bytes > limits.maxBytes ? result.bytes - limits.maxBytes : 0;
        return result;
    }
    // Then the best level that fits at that frame count.
    std::vector<FitSetting> byLevel;
    for (int l = 0; l < levels; ++l) byLevel.push_back(setting(*frames, l));
    // What was inferred is encoded, and an encoder that breaks the rules of
    // thumb (a smaller level making a larger file) moves it on a level.
    for (size_t at = FirstFitting(trials, byLevel, budget); at < byLevel.size(); ++at) {
        const std::optional<std::size_t> size = trials.sizeOf(byLevel[at]);
        if (!size || *size > limits.maxBytes) continue;
        result.fits = true;
        result.chosen = byLevel[at];
        result.bytes = *size;
        result.belowLeastFrames = *frames < least;
        return result;
    }
    result.chosen = byLevel.back();
    result.bytes = trials.sizeOf(result.chosen).value_or(0);
    result.missedBy = result.bytes > limits.maxBytes ? result.bytes - limits.maxBytes : 0;
    return result;
}

std::string GroupedDigits(std::size_t n) {
    std::string text = std::to_string(n);
    for (int at = static_cast<int>(text.size()) - 3; at > 0; at -= 3) text.insert(static_cast<size_t>(at), " ");
    return text;
}

std::string DescribeFit(const std::string& format, int side, const FitResult& fit, const std::string& levelText) {
    const std::string bytes = GroupedDigits(fit.bytes);
    std::string line = format + " " + std::to_string(side) + " px, " + std::to_string(fit.chosen.frames) + " frames x " +
                       std::to_string(fit.chosen.frameMs) + " ms, " + levelText + ", " + bytes + " bytes";
    if (fit.belowLeastFrames) line += " (fewer than 24 frames: the budget allows no more)";
    return line;
}

}  // namespace pivra
