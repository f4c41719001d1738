#pragma once
// How a run of image commands ended, judged in one place for the window and
// pivra-make alike: the window shows the reason in a message box, pivra-make
// prints it on one line.
#include <string>

namespace pivra {

class ImageCommands;
struct PivraState;

enum class BuildResult {
    Skipped,   // a picture is missing: nothing was touched
    Finished,  // every command wrote its file and the new animation is in place
    Failed,    // something failed; the last animation is untouched
    Stopped,   // the controls asked to stop; the last animation is untouched
};

struct BuildOutcome {
    BuildResult result = BuildResult::Skipped;
    std::string reason;   // Failed: what failed and why, one sentence
    std::string warning;  // Finished: worth a word, but the animation stands
};

// What the first command without its output failed to make, and the
// library's reason: the user's pictures are named as such. Empty when every
// command since the last reset wrote its file.
std::string DescribeMissingOutputs(const ImageCommands& commands, const PivraState& state);

}  // namespace pivra
