#include "render/RenderAnimation.h"

#include <cmath>

#include "render/FacePicture.h"
#include "render/FlatLook.h"

namespace pivra {

bool LoadLookFaces(const RenderRequest& request, LookFaces& faces, std::string& why) {
    // Each face at the size its look draws it, so that it is resized only once.
    const int side = request.look == LookKind::Coin ? CoinFaceSide(request.coin) : request.coin.side;
    if (!LoadFacePicture(request.head, side, request.crop, faces.head, why)) {
        why = "the head picture could not be read: " + why;
        return false;
    }
    if (!LoadFacePicture(request.tail, side, request.crop, faces.tail, why)) {
        why = "the tail picture could not be read: " + why;
        return false;
    }
    return true;
}

std::unique_ptr<Look> MakeLook(const RenderRequest& request, const LookFaces& faces) {
    if (request.look == LookKind::Coin) return std::make_unique<CoinLook>(faces.head, faces.tail, request.coin);
    return std::make_unique<FlatLook>(faces.head, faces.tail, request.coin.side, request.coin.frames);
}

bool EncodeAnimation(const FrameSource& frames, int count, int frameMs, AnimationFormat format,
                     const EncodeSettings& settings, std::vector<std::uint8_t>& bytes, std::string& why,
                     WebmShared* webm) {
    switch (format) {
        case AnimationFormat::Gif:
            return EncodeAnimatedGif(frames, count, frameMs, settings.gif, bytes, why);
        case AnimationFormat::Webp:
            return EncodeAnimatedWebp(frames, count, frameMs, settings.webp, bytes, why);
        case AnimationFormat::Apng:
            return EncodeApng(frames, count, frameMs, settings.apng, bytes, why);
        case AnimationFormat::Webm:
            return EncodeWebm(frames, count, frameMs, settings.webm, bytes, why, webm);
    }
    why = "no such kind of animation";
    return false;
}

bool RenderAnimation(const RenderRequest& request, AnimationFormat format, const EncodeSettings& settings,
                     std::vector<std::uint8_t>& bytes, std::string& why) {
    LookFaces faces;
    if (!LoadLookFaces(request, faces, why)) return false;
    const std::unique_ptr<Look> look = MakeLook(request, faces);
    const FrameSource frames = [&look, &request](int k) {
        if (request.carryOn && !request.carryOn()) return imagelib::Picture(look->side(), look->side());
        return look->frame(k);
    };
    return EncodeAnimation(frames, look->frameCount(), request.frameMs, format, settings, bytes, why);
}

}  // namespace pivra
