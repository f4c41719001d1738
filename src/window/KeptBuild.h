#pragma once
// The last finished build's request, kept as a small text file in the
// working folder beside the animation it made, so that SAVE's WebP, PNG
// and WebM and Export draw that build again after a restart. The file names
// the animation's own stamp: one that no longer matches is not this build's.
#include <optional>
#include <string>

#include "platform/FileStamp.h"
#include "render/RenderAnimation.h"

namespace pivra {

inline constexpr const char* kKeptBuildFile = "Work/last-build.txt";

struct KeptBuild {
    RenderRequest request;          // its carryOn is not kept
    EncodeSettings settings;        // only the GIF's matte is kept
    std::optional<FileStamp> head, tail;  // the pictures as they were drawn
    FileStamp animation;            // Work/pivra.gif as the build left it
};

std::string KeptBuildText(const KeptBuild& kept);
// Nothing for a text this program did not write whole.
std::optional<KeptBuild> ParseKeptBuild(const std::string& text);

}  // namespace pivra
