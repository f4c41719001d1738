#include "render/BudgetRender.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "platform/WorkerPool.h"
#include "render/Destinations.h"

namespace pivra {

std::vector<int> FitLevels(AnimationFormat format) {
    switch (format) {
        case AnimationFormat::Gif: return {256, 192, 128, 96, 64, 48, 32};
        case AnimationFormat::Webp: return {95, 90, 85, 80, 75, 70, 60, 50, 40, 30, 20};
        case AnimationFormat::Webm: return {90, 85, 80, 75, 70, 60, 50, 40, 30, 20, 10};
        // Full colour, then one shared palette: each step some 5 to 15% smaller
        // (bench_apng_levels). Finer steps at the top keep the frame count's
        // trials, made at the middle level, at 128 colours, where busy photos
        // still keep 30 dB; the small palettes meet tight budgets at 24 frames.
        case AnimationFormat::Apng: return {0, 256, 224, 192, 160, 128, 96, 64, 32, 16, 8};
    }
    return {0};
}

std::string LevelText(AnimationFormat format, int level) {
    switch (format) {
        case AnimationFormat::Gif: return std::to_string(level) + " colours";
        case AnimationFormat::Webp:
        case AnimationFormat::Webm: return "quality " + std::to_string(level);
        case AnimationFormat::Apng: return level == 0 ? "full colour" : std::to_string(level) + " colours";
    }
    return "";
}

EncodeSettings SettingsAt(AnimationFormat format, int level, const EncodeSettings& base) {
    EncodeSettings s = base;
    if (format == AnimationFormat::Gif) s.gif.colours = level;
    if (format == AnimationFormat::Webp) s.webp = WebpSettings{level, false};
    if (format == AnimationFormat::Apng) s.apng.colours = level;
    if (format == AnimationFormat::Webm) {
        s.webm.quality = level;
        s.webm.alphaQuality = std::min(s.webm.alphaQuality, level);
    }
    return s;
}

namespace {

using Frames = std::vector<imagelib::Picture>;

// One frame count's frames, and what WebM trials of them share.
struct Turn {
    Frames frames;
    WebmShared webm;
};

// Each frame count's frames, rendered once whichever trial asks first.
class FrameStore {
public:
    FrameStore(const RenderRequest& request, const LookFaces& faces) : request_(request), faces_(faces) {}
    std::shared_ptr<Turn> turn(int count) {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::shared_ptr<Turn>& kept = kept_[count];
        if (!kept) {
            RenderRequest r = request_;
            r.coin.frames = count;
            const std::unique_ptr<Look> look = MakeLook(r, faces_);
            auto made = std::make_shared<Turn>();
            made->frames.resize(static_cast<std::size_t>(count));
            ParallelFor(count, [&](int k) { made->frames[static_cast<std::size_t>(k)] = look->frame(k); });
            kept = std::move(made);
        }
        return kept;
    }

private:
    const RenderRequest& request_;
    const LookFaces& faces_;
    std::mutex mutex_;
    std::map<int, std::shared_ptr<Turn>> kept_;
};

}  // namespace

bool RenderWithinBudget(const RenderRequest& request, AnimationFormat format, const EncodeSettings& base,
                        const Budget& budget, BudgetOutcome& outcome, std::string& why) {
    LookFaces faces;
    if (!LoadLookFaces(request, faces, why)) return false;
    FrameStore store(request, faces);
    FitLimits limits;
    limits.maxBytes = budget.maxBytes;
    limits.longestTurnMs = budget.longestTurnMs;
    limits.shortestFrameMs = budget.shortestFrameMs;
    limits.frames = request.coin.frames;
    limits.frameMs = request.frameMs;
    limits.levels = FitLevels(format);
    limits.framesCheap = format == AnimationFormat::Webm;

    // Every file tried, kept so that the chosen one is not encoded twice.
    std::mutex mutex;
    std::map<std::tuple<int, int, int>, std::vector<std::uint8_t>> files;
    std::string refused;
    const TrialEncoder encode = [&](const FitSetting& s) -> std::optional<std::size_t> {
        const std::shared_ptr<Turn> turn = store.turn(s.frames);
        const int level = limits.levels.at(static_cast<std::size_t>(s.level));
        const FrameSource source = [&turn](int k) { return turn->frames[static_cast<std::size_t>(k)]; };
        std::vector<std::uint8_t> bytes;
        std::string trialWhy;
        if (!EncodeAnimation(source, s.frames, s.frameMs, format, SettingsAt(format, level, base), bytes, trialWhy,
                             &turn->webm)) {
            const std::lock_guard<std::mutex> lock(mutex);
            refused = trialWhy;
            return std::nullopt;
        }
        const std::size_t size = bytes.size();
        const std::lock_guard<std::mutex> lock(mutex);
        files[{s.frames, s.frameMs, s.level}] = std::move(bytes);
        return size;
    };
    const int threads = ThreadBudget() >= 2 ? 2 : 1;
    outcome.fit = FitBudget(limits, encode, threads);
    if (!refused.empty() && outcome.fit.bytes == 0) {
        why = refused;
        return false;
    }
    if (outcome.fit.encodes == 0) {
        why = "no frame count from 8 up makes a turn short enough";
        return false;
    }
    const FitSetting& c = outcome.fit.chosen;
    outcome.line = DescribeFit(FormatName(format), request.coin.side, outcome.fit,
                               LevelText(format, limits.levels.at(static_cast<std::size_t>(c.level))));
    if (outcome.fit.fits) outcome.bytes = std::move(files[{c.frames, c.frameMs, c.level}]);
    return true;
}

}  // namespace pivra
