#pragma once
// The animation's frames as RGBA pictures in memory, from the two face copies
// of a build: the frame plan, widths, faces and centring of the GIF, with an
// edge of real alpha (the share of each pixel that the squeezed coin covers)
// and the colour of the face alone, mixed with no background.
#include <map>
#include <utility>

#include "PictureLoader.h"
#include "builder/FramePlan.h"

namespace pivra {

class SpinRender {
public:
    // head and tail: the face copies, both side x side with side a multiple
    // of 12 (the caller checks); side is the build's i_size. Every squeezed
    // face and coverage the frames need is made here, spread over the pool.
    SpinRender(imagelib::LoadedPicture head, imagelib::LoadedPicture tail);

    int side() const { return side_; }
    int frameCount() const { return static_cast<int>(plan_.frames.size()); }
    // Frame k (0 to 49); made afresh from the squeezed faces. Safe to call
    // from several threads at once.
    imagelib::Picture frame(int k) const;

private:
    const imagelib::Picture& squeezedFace(bool head, int width) const { return faces_.at({head, width}); }
    const imagelib::Picture& coverage(int width) const { return covers_.at(width); }

    imagelib::LoadedPicture head_, tail_;
    int side_;
    FramePlan plan_;
    std::map<std::pair<bool, int>, imagelib::Picture> faces_;
    std::map<int, imagelib::Picture> covers_;
};

}  // namespace pivra
