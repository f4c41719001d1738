#pragma once
// The rendered frames as an animated GIF of any size: each frame's edge
// blended into the page it is made for, the outside clear, a palette of
// its own per frame (the image libraries' median cut), looping for ever.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ColorQuantizer.h"
#include "render/AnimationEncoders.h"

namespace pivra {

struct GifSettings {
    int colours = 256;  // 2 to 256 entries a frame, the clear one included
    // The page colour (r, g, b) the edges are blended into; none: white.
    std::optional<std::array<std::uint8_t, 3>> matte;
};

// Frame k's delay in hundredths of a second when every frame lasts frameMs:
// the turn's running time rounded to the nearest hundredth (halves up), so
// a turn of count frames lasts count x frameMs to within 5 ms, whatever
// frameMs is; at least 2, as browsers play shorter delays as 10.
int GifDelayCs(int k, int frameMs);

// The frame on its page: colour blended into page by alpha wherever the
// render shows anything (alpha 255 there), clear (alpha 0) elsewhere.
imagelib::Picture OnPage(const imagelib::Picture& frame, const std::array<std::uint8_t, 3>& page);

// GIF89a from indexed frames of one size: each frame cropped to what it
// shows, cleared after its time, with its own colour table; looping for ever.
class GifFrameWriter {
public:
    void add(const imagelib::IndexedPicture& frame, int delayCs);
    std::vector<std::uint8_t> finish();

private:
    std::vector<std::uint8_t> out_;
};

// bytes: the file; false with why for settings it cannot make.
bool EncodeAnimatedGif(const FrameSource& frames, int count, int delayMs, const GifSettings& settings,
                       std::vector<std::uint8_t>& bytes, std::string& why);

}  // namespace pivra
