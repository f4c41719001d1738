#include "render/RenderAnimation.h"

#include <cmath>

#include "render/FacePicture.h"

namespace pivra {

bool RenderAnimation(const RenderRequest& request, AnimationFormat format, const EncodeSettings& settings,
                     std::vector<std::uint8_t>& bytes, std::string& why) {
    if (request.look != LookKind::Coin) {
        why = "the flat look is made by the GIF build";
        return false;
    }
    // The faces at the coin's diameter: the look draws them without resizing again.
    const int side = std::max(1, static_cast<int>(std::lround(CoinDiameter(request.coin))));
    imagelib::Picture head, tail;
    if (!LoadFacePicture(request.head, side, request.crop, head, why)) {
        why = "the head picture could not be read: " + why;
        return false;
    }
    if (!LoadFacePicture(request.tail, side, request.crop, tail, why)) {
        why = "the tail picture could not be read: " + why;
        return false;
    }
    const CoinLook look(head, tail, request.coin);
    const FrameSource frames = [&look, &request](int k) {
        if (request.carryOn && !request.carryOn()) return imagelib::Picture(look.side(), look.side());
        return look.frame(k);
    };
    const int count = look.frameCount();
    switch (format) {
        case AnimationFormat::Gif:
            return EncodeAnimatedGif(frames, count, request.frameMs, settings.gif, bytes, why);
        case AnimationFormat::Webp:
            return EncodeAnimatedWebp(frames, count, request.frameMs, settings.webp, bytes, why);
        case AnimationFormat::Apng:
            return EncodeApng(frames, count, request.frameMs, bytes, why);
        case AnimationFormat::Webm:
            return EncodeWebm(frames, count, request.frameMs, settings.webm, bytes, why);
    }
    why = "no such kind of animation";
    return false;
}

}  // namespace pivra
