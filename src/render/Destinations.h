#pragma once
// Where animations go and the limits each sets: the format, the exact side,
// the most bytes and the longest turn (chat apps refuse or rescale anything else).
#include <cstddef>
#include <string>
#include <vector>

#include "render/ExportAnimation.h"

namespace pivra {

struct Destination {
    const char* name;   // as --for takes it
    const char* label;  // as people call it
    AnimationFormat format;
    int side;
    std::size_t maxBytes;
    int longestTurnMs;    // 0: no limit; "under 3 s" is 2990, as converters read it
    int shortestFrameMs;  // from the highest frame rate allowed (30 a second: 34 ms)
};

const std::vector<Destination>& Destinations();
// Nothing for an unknown name.
const Destination* FindDestination(const std::string& name);
// "slack, discord-emoji, ...": for messages.
std::string DestinationNames();
// ".gif", ".png", ".webp" or ".webm".
const char* EndingOf(AnimationFormat format);
// "GIF", "APNG", "WebP" or "WebM".
const char* FormatName(AnimationFormat format);

}  // namespace pivra
