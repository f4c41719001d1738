#include "render/CoinAnimation.h"

#include <cmath>

#include "render/FacePicture.h"

namespace pivra {

bool EncodeCoinAnimation(const CoinAnimationRequest& request, AnimationFormat format, const WebpSettings& webp,
                         std::vector<std::uint8_t>& bytes, std::string& why) {
    // The faces at the coin's diameter: the look draws them without resizing again.
    const int side = std::max(1, static_cast<int>(std::lround(CoinDiameter(request.look))));
    imagelib::Picture head, tail;
    if (!LoadFacePicture(request.head, side, request.crop, head, why)) {
        why = "the head picture could not be read: " + why;
        return false;
    }
    if (!LoadFacePicture(request.tail, side, request.crop, tail, why)) {
        why = "the tail picture could not be read: " + why;
        return false;
    }
    const CoinLook look(head, tail, request.look);
    const FrameSource frames = [&look](int k) { return look.frame(k); };
    switch (format) {
        case AnimationFormat::Webp:
            return EncodeAnimatedWebp(frames, look.frameCount(), request.frameMs, webp, bytes, why);
        case AnimationFormat::Apng:
            return EncodeApng(frames, look.frameCount(), request.frameMs, bytes, why);
        case AnimationFormat::Webm:
            return EncodeWebm(frames, look.frameCount(), request.frameMs, WebmSettings{}, bytes, why);
        default:
            why = "the coin look is made as animated WebP, PNG or WebM";
            return false;
    }
}

}  // namespace pivra
