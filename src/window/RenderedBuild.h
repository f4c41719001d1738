#pragma once
// Animations drawn in memory by the renderer (the coin look) off the
// window's thread: the window goes on answering (menus, repaints, the close
// that stops it) and the bar follows the frames.
#include <cstdint>
#include <string>
#include <vector>

#include "builder/BuildControls.h"
#include "builder/BuildOutcome.h"
#include "render/FittedExport.h"
#include "render/RenderAnimation.h"

namespace pivra {

class BackgroundJob;

// The render of request in format, run by job while the calling thread
// yields to the window; Stopped when the controls asked to stop, Failed
// with the renderer's reason. bytes: the file, when Finished.
BuildOutcome RenderOffThread(RenderRequest request, AnimationFormat format, const EncodeSettings& settings,
                             BuildControls& controls, BackgroundJob& job, std::vector<std::uint8_t>& bytes);

// The same for an export: the fit's answer in made (Finished, whether it
// fitted or missed); Failed with the renderer's reason.
BuildOutcome FitOffThread(RenderRequest request, AnimationFormat format, const EncodeSettings& settings,
                          const ExportBudget& budget, BuildControls& controls, BackgroundJob& job, FittedExport& made);

// The GIF of request into target, replaced only by a whole new file (written
// beside it, synced, renamed); on failure or stop the last animation stays.
BuildOutcome BuildRenderedGif(const RenderRequest& request, const EncodeSettings& settings,
                              const std::string& target, BuildControls& controls, BackgroundJob& job);

}  // namespace pivra
