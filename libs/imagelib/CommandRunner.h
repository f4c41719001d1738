#pragma once
// Shared frame of the two C entry points: argument checks, error capture,
// and the rule that nothing escapes across the C boundary.
#include <string>
#include <vector>

#include "PerThreadMessage.h"

namespace pivra::imagelib {

using CommandBody = void (*)(const std::vector<std::string>& args);

// Runs body with argv[1..argc-1]. Returns 0 and clears lastError on
// success; otherwise 1 with a one-line reason in lastError.
int runCommand(int argc, char** argv, CommandBody body, PerThreadMessage& lastError);

}  // namespace pivra::imagelib
