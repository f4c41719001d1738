#pragma once
// An animation rendered in memory straight from the two pictures: faces
// loaded in full colour, one whole turn drawn in the chosen look, encoded in
// the chosen format. The window and pivra-make both render through here.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "render/CoinLook.h"
#include "render/ExportAnimation.h"
#include "render/GifAnimation.h"
#include "render/Look.h"

namespace pivra {

enum class LookKind { Flat, Coin };

struct RenderRequest {
    std::string head, tail;  // the pictures' paths
    bool crop = false;       // faces from the pictures' centred squares
    LookKind look = LookKind::Flat;
    // The frames' side and count live here too (look.side, look.frames),
    // whatever the look; the coin's own options are read only by the coin look.
    CoinLookOptions coin;
    int frameMs = kFrameMs;
    // Asked before each frame is drawn, from whichever thread draws it: false
    // leaves the frames still to come blank, so that a caller that wants to
    // stop has its answer at once (and throws the bytes away). None: go on.
    std::function<bool()> carryOn;
};

struct EncodeSettings {
    WebpSettings webp;
    WebmSettings webm;
    ApngSettings apng;
    GifSettings gif;  // its matte: the page the GIF is made for
};

// why: one sentence, naming the picture that failed.
bool RenderAnimation(const RenderRequest& request, AnimationFormat format, const EncodeSettings& settings,
                     std::vector<std::uint8_t>& bytes, std::string& why);

// The same in steps, for callers that encode one look more than once.
// The two faces at the size the request's look draws them (any frame count).
struct LookFaces {
    imagelib::Picture head, tail;
};
bool LoadLookFaces(const RenderRequest& request, LookFaces& faces, std::string& why);
// The request's look over those faces; side and frame count from request.coin.
std::unique_ptr<Look> MakeLook(const RenderRequest& request, const LookFaces& faces);
// Frames of one size in the format; frames may be called from several threads.
// webm: what WebM encodes of these same frames share (see WebmShared).
bool EncodeAnimation(const FrameSource& frames, int count, int frameMs, AnimationFormat format,
                     const EncodeSettings& settings, std::vector<std::uint8_t>& bytes, std::string& why,
                     WebmShared* webm = nullptr);

}  // namespace pivra
