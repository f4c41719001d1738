#include "SpinRender.h"

#include "OptionValues.h"
#include "Resizer.h"
#include "platform/WorkerPool.h"
#include "render/CoinCoverage.h"

namespace pivra {

SpinRender::SpinRender(imagelib::LoadedPicture head, imagelib::LoadedPicture tail)
    : head_(std::move(head)),
      tail_(std::move(tail)),
      side_(head_.picture->width),
      plan_(PlanFrames(static_cast<int16_t>(side_), static_cast<int16_t>(side_ / 12))) {
    // Each strip width: the head and the tail squeezed to it, and its coverage.
    const std::vector<int16_t>& widths = plan_.stripWidths;
    for (const int16_t w : widths) faces_[{true, w}], faces_[{false, w}], covers_[w];
    ParallelFor(static_cast<int>(widths.size()) * 3, [&](int i) {
        const int width = widths[static_cast<size_t>(i / 3)];
        if (i % 3 == 2) {
            covers_.at(width) = CoinCoverage(width, side_);
            return;
        }
        // The strips' resize: exactly width x side, as "-geometry WxH!" does it.
        const imagelib::LoadedPicture& face = i % 3 == 0 ? head_ : tail_;
        faces_.at({i % 3 == 0, width}) = imagelib::resizePicture(*face.picture, width, side_, face.source);
    });
}

imagelib::Picture SpinRender::frame(int k) const {
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
