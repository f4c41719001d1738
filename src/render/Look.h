#pragma once
// What the renderer draws: one whole turn of the coin as RGBA frames of one
// square size, the head face-on in frame 0. frame() may run on several
// threads at once.
#include "Picture.h"

namespace pivra {

class Look {
public:
    virtual ~Look() = default;
    virtual int side() const = 0;
    virtual int frameCount() const = 0;
    virtual imagelib::Picture frame(int k) const = 0;
};

}  // namespace pivra
