#pragma once
// One-time MagickWand start-up with the resource limits every command relies on.
#include "DecodeLimits.h"

namespace pivra::imagelib {

// Safe to call from any thread, any number of times; the work happens once.
// ImageMagick's limits are process-wide: they are only ever lowered to ours,
// never raised above what the host (or a policy file) already set, so the
// second library to start changes nothing.
// MagickWandTerminus is deliberately never called: the host may use
// ImageMagick too, and the process exit frees everything.
void ensureMagickReady();

// What ensureMagickReady applies: each ImageMagick limit lowered to ours
// where it is higher. MagickWand must be initialised.
void lowerMagickLimits();

}  // namespace pivra::imagelib
