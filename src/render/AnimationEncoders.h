#pragma once
// The rendered frames as animated WebP (libwebp's animation encoder) and as
// APNG (libpng for each frame's image data, with the animation chunks around
// it), both in memory, looping for ever, with full alpha.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Picture.h"

namespace pivra {

// Frame k of count, all of one size; may be asked for from several threads at once.
using FrameSource = std::function<imagelib::Picture(int k)>;

struct WebpSettings {
    int quality = 80;       // 0 to 100: lossy quality, or for lossless the effort
    bool lossless = false;  // lossy with alpha by default
};

// bytes: the file; false with why when the encoder refuses.
bool EncodeAnimatedWebp(const FrameSource& frames, int count, int delayMs, const WebpSettings& settings,
                        std::vector<std::uint8_t>& bytes, std::string& why);

bool EncodeApng(const FrameSource& frames, int count, int delayMs, std::vector<std::uint8_t>& bytes,
                std::string& why);

}  // namespace pivra
