#pragma once
// The coin look's animation, straight from the two pictures: faces loaded
// in full colour, one whole turn rendered, encoded as animated WebP, APNG or
// WebM.
#include <cstdint>
#include <string>
#include <vector>

#include "render/CoinLook.h"
#include "render/ExportAnimation.h"

namespace pivra {

struct CoinAnimationRequest {
    std::string head, tail;  // the pictures' paths
    bool crop = false;       // faces from the pictures' centred squares
    CoinLookOptions look;
    int frameMs = kFrameMs;
};

// format: Webp, Apng or Webm. why: one sentence naming the picture that failed.
bool EncodeCoinAnimation(const CoinAnimationRequest& request, AnimationFormat format, const WebpSettings& webp,
                         std::vector<std::uint8_t>& bytes, std::string& why);

}  // namespace pivra
