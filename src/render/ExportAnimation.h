#pragma once
// The animation of the last build as animated WebP, APNG or WebM: its kept faces
// rendered in memory, encoded, and written beside the target, then renamed.
#include <optional>
#include <string>

#include "render/AnimationEncoders.h"

namespace pivra {

enum class AnimationFormat { Gif, Webp, Apng, Webm };

// By the name's ending, any case: ".gif", ".webp", ".png" or ".webm"; nothing otherwise.
std::optional<AnimationFormat> FormatOfName(const std::string& name);

// 60 ms a frame, as the GIF's 6 hundredths.
inline constexpr int kFrameMs = 60;

// workRoot ends in "/"; the faces are those BuiltFaces.h names. The format
// is Webp, Apng or Webm (at its default settings). why: one sentence.
bool EncodeBuiltAnimation(const std::string& workRoot, AnimationFormat format, const WebpSettings& webp,
                          std::vector<std::uint8_t>& bytes, std::string& why);

// The same, written to target; when that fails, an existing target stays as it was.
bool ExportBuiltAnimation(const std::string& workRoot, AnimationFormat format, const WebpSettings& webp,
                          const std::string& target, std::string& why);

}  // namespace pivra
