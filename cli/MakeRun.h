#pragma once
#include "MakeOptions.h"

namespace pivra {

class TraceStream;

// Runs one whole pivra-make build; returns the exit code: 0, 1 for a failure
// (one line on standard error), 128 + the signal for a run that was stopped
// before OUTPUT was in place.
// Traces go to `trace`.
int RunPivraMake(const MakeOptions& options, TraceStream& trace);

}  // namespace pivra
