#include "BuildOutcome.h"

#include "builder/PivraState.h"
#include "imagecmd/ImageCommands.h"

namespace pivra {

std::string DescribeMissingOutputs(const ImageCommands& commands, const PivraState& state) {
    if (commands.missingOutputs() == 0) return {};
    const ImageCommands::MissingOutput& m = commands.firstMissingOutput();
    std::string what = "the image command writing " + m.dst + " failed";
    // The face copies are the first commands to read the user's pictures.
    const std::string* picture = nullptr;
    if (m.dst == state.AppStr + "Masks/ImagA.gif") picture = &state.HeadFile, what = "the head picture could not be read";
    if (m.dst == state.AppStr + "Masks/ImagB.gif") picture = &state.TailFile, what = "the tail picture could not be read";
    if (picture && m.reason.find(*picture) == std::string::npos) what += ": " + *picture;
    return m.reason.empty() ? what : what + ": " + m.reason;
}

}  // namespace pivra
