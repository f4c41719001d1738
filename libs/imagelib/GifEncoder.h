#pragma once
// GIF writing on giflib: one local colour table per frame, so no frame
// loses colours to another.
#include <cstddef>
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

// Where the encoder's bytes go. append returns false when it cannot take
// them; the encoder then fails and never calls it again, not even at close.
class GifSink {
public:
    virtual ~GifSink() = default;
    virtual bool append(const std::uint8_t* data, std::size_t size) noexcept = 0;
};

// Encodes the frames (at least one) as GIF89a into sink. The screen is as
// large as the largest frame; every frame sits at its top-left corner.
// CommandError on failure, also when the sink refuses bytes.
// `firstFrameIndexed`, when given, receives the first frame's indices and
// colour table as written.
void encodeGifTo(const std::vector<Picture>& frames, const AnimationSettings& settings, GifSink& sink,
                 IndexedPicture* firstFrameIndexed = nullptr);

// The same into memory.
std::vector<std::uint8_t> encodeGif(const std::vector<Picture>& frames,
                                    const AnimationSettings& settings,
                                    IndexedPicture* firstFrameIndexed = nullptr);

}  // namespace pivra::imagelib
