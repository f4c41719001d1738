#include "window/RenderedBuild.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/ReplaceFile.h"
#include "window/BackgroundJob.h"

namespace pivra {

namespace {
constexpr int kBarEnd = 150;  // the bar's range, as the image-command build fills it
}  // namespace

namespace {

// work(request, why) run by job while the calling thread yields to the
// window, the bar following the frames drawn (a fit draws several turns:
// the bar then waits near its end for the trial encodes).
BuildOutcome RunWhileYielding(RenderRequest request, const std::function<bool(const RenderRequest&, std::string&)>& work,
                              BuildControls& controls, BackgroundJob& job) {
    controls.showProgress();
    controls.setProgress(1);
    std::atomic<int> drawn{0};
    std::atomic<bool> stop{false}, done{false};
    request.carryOn = [&] {
        ++drawn;
        return !stop.load();
    };
    bool ok = false;
    std::string why;
    job.post([&](const std::atomic<bool>&) {
        ok = work(request, why);
        done = true;
    });
    // The window's thread only waits here, letting its events through.
    const int frames = std::max(1, request.coin.frames);
    while (!done) {
        controls.setProgress(1 + std::min(drawn.load(), frames) * (kBarEnd - 2) / frames);
        controls.yield();
        if (controls.stopRequested()) stop = true;
        if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    controls.setProgress(kBarEnd - 1);
    if (stop || controls.stopRequested()) return {BuildResult::Stopped, {}, {}};
    if (!ok) return {BuildResult::Failed, why + ".", {}};
    return {BuildResult::Finished, {}, {}};
}

}  // namespace

BuildOutcome RenderOffThread(RenderRequest request, AnimationFormat format, const EncodeSettings& settings,
                             BuildControls& controls, BackgroundJob& job, std::vector<std::uint8_t>& bytes) {
    return RunWhileYielding(
        std::move(request),
        [&](const RenderRequest& r, std::string& why) { return RenderAnimation(r, format, settings, bytes, why); },
        controls, job);
}

BuildOutcome FitOffThread(RenderRequest request, AnimationFormat format, const EncodeSettings& settings,
                          const ExportBudget& budget, BuildControls& controls, BackgroundJob& job, FittedExport& made) {
    // A miss is the fit's answer, not a failure of the run: made says it.
    return RunWhileYielding(
        std::move(request),
        [&](const RenderRequest& r, std::string& why) {
            made = RenderFitted(r, format, settings, budget);
            if (made.status == FittedExport::Status::Failed) why = made.why;
            return made.status != FittedExport::Status::Failed;
        },
        controls, job);
}

BuildOutcome BuildRenderedGif(const RenderRequest& request, const EncodeSettings& settings,
                              const std::string& target, BuildControls& controls, BackgroundJob& job) {
    if (controls.hintVisible()) return {BuildResult::Skipped, {}, {}};
    controls.disablePreviewTimer();
    controls.setCreateCaption("WORKING");
    std::vector<std::uint8_t> bytes;
    BuildOutcome outcome = RenderOffThread(request, AnimationFormat::Gif, settings, controls, job, bytes);
    std::string why;
    if (outcome.result == BuildResult::Finished && !ReplaceWithBytes(bytes, target, why))
        outcome = {BuildResult::Failed, target + " could not be written: " + why, {}};
    controls.setCreateCaption("CREATE PIVRA");
    controls.setProgress(0);
    return outcome;
}

}  // namespace pivra
