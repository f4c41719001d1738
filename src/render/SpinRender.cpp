#include "SpinRender.h"

#include "OptionValues.h"
#include "Resizer.h"
#include "render/CoinCoverage.h"

namespace pivra {

SpinRender::SpinRender(imagelib::LoadedPicture head, imagelib::LoadedPicture tail)
    : head_(std::move(head)),
      tail_(std::move(tail)),
      side_(head_.picture->width),
      plan_(PlanFrames(static_cast<int16_t>(side_), static_cast<int16_t>(side_ / 12))) {}

// The strips' resize: exactly width x side, as "-geometry WxH!" does it.
const imagelib::Picture& SpinRender::squeezedFace(bool head, int width) {
    auto found = faces_.find({head, width});
    if (found != faces_.end()) return found->second;
    const imagelib::LoadedPicture& face = head ? head_ : tail_;
    return faces_[{head, width}] = imagelib::resizePicture(*face.picture, width, side_, face.source);
}

const imagelib::Picture& SpinRender::coverage(int width) {
    auto found = covers_.find(width);
    if (found != covers_.end()) return found->second;
    return covers_[width] = CoinCoverage(width, side_);
}

imagelib::Picture SpinRender::frame(int k) {
    imagelib::Picture out(side_, side_);  // transparent black
    const PlannedFrame& f = plan_.frames.at(static_cast<size_t>(k));
    if (f.blank()) return out;
    const int width = f.width();
    const imagelib::Picture& face = squeezedFace(f.headFace(), width);
    const imagelib::Picture& cover = coverage(width);
    int left = 0, top = 0;
    imagelib::gravityOffset(imagelib::Gravity::Center, side_, side_, width, side_, left, top);
    for (int y = 0; y < side_; ++y) {
        const std::uint8_t* c = face.pixel(0, y);
        const std::uint8_t* a = cover.pixel(0, y);
        std::uint8_t* p = out.pixel(left, top + y);
        // The strip's pixels keep the face's colour also where the coin does
        // not reach (alpha 0): flat colour there costs encoders nothing.
        for (int x = 0; x < width; ++x, c += 4, a += 4, p += 4) {
            p[0] = c[0], p[1] = c[1], p[2] = c[2];
            // A face copy with transparent parts keeps them.
            p[3] = static_cast<std::uint8_t>((a[0] * unsigned{c[3]} + 127) / 255);
        }
    }
    return out;
}

}  // namespace pivra
