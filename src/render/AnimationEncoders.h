#pragma once
// The rendered frames as animated WebP (libwebp's animation encoder), as
// APNG (libpng for each frame's image data, with the animation chunks around
// it), and as WebM (VP9 colour and alpha through libvpx), all in memory, with
// full alpha; WebP and APNG loop for ever, a WebM player loops the video.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Picture.h"
#include "render/Yuv420.h"

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

struct ApngSettings {
    // 0: full colour, 8-bit RGBA. 2 to 256: one palette with partial alpha
    // shared by every frame (PLTE and tRNS), each frame but the first
    // cropped to what it shows and the canvas cleared after it.
    int colours = 0;
};

bool EncodeApng(const FrameSource& frames, int count, int delayMs, const ApngSettings& settings,
                std::vector<std::uint8_t>& bytes, std::string& why);

struct WebmSettings {
    ChromaFit chroma = ChromaFit::FittedLuma;  // how the frames become 4:2:0
    int quality = 70;       // 0 to 100 for the colour, as libvpx's constant quality 63 down to 0
    int alphaQuality = 60;  // the same for the alpha, whose rim is most of what it holds: a quarter
                            // off the file at 512 px against 85, for 0.1 dB over black or white
    int speed = 4;          // libvpx's cpu-used: 0 slowest and best to 9 fastest
};

// What encodes of the same frames at different colour qualities share, as
// a budget's trials do: the frames in YUV, and the alpha stream at each
// alpha quality, made once on first use. Safe to use from several threads;
// kept only for one frame source, count and frame time.
class WebmShared {
public:
    WebmShared();
    ~WebmShared();
    WebmShared(const WebmShared&) = delete;
    WebmShared& operator=(const WebmShared&) = delete;
    struct State;
    State& state() { return *state_; }

private:
    std::unique_ptr<State> state_;
};

// VP9 with an alpha stream in WebM: one key frame, at the start, and every
// frame delayMs long, so the file lasts count x delayMs exactly. With
// shared, the same bytes, the shared parts made only once.
bool EncodeWebm(const FrameSource& frames, int count, int delayMs, const WebmSettings& settings,
                std::vector<std::uint8_t>& bytes, std::string& why, WebmShared* shared = nullptr);

}  // namespace pivra
