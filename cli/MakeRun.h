#pragma once
#include <iosfwd>

#include "MakeOptions.h"

namespace pivra {

// Runs one whole pivra-make build; returns the exit code. Errors go to
// standard error as one line, traces to `trace`.
int RunPivraMake(const MakeOptions& options, std::ostream& trace);

}  // namespace pivra
