#pragma once
// GIF writing on giflib: one local colour table per frame, so no frame
// loses colours to another.
#include <cstdint>
#include <optional>
#include <vector>

#include "ColorQuantizer.h"
#include "Picture.h"

namespace pivra::imagelib {

struct AnimationSettings {
    std::optional<int> delay;     // hundredths of a second, 0..65535
    std::optional<int> disposal;  // GIF disposal method 0..3
    std::optional<int> loop;      // 0 = for ever
};

// Encodes the frames (at least one) into GIF89a bytes. The screen is as
// large as the largest frame; every frame sits at its top-left corner.
// `firstFrameIndexed`, when given, receives the first frame's indices and
// colour table as written.
std::vector<std::uint8_t> encodeGif(const std::vector<Picture>& frames,
                                    const AnimationSettings& settings,
                                    IndexedPicture* firstFrameIndexed = nullptr);

}  // namespace pivra::imagelib
