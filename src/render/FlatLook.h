#pragma once
// The flat look: each face squeezed sideways in even steps of width, as the
// GIF build does, from full width down to nothing and back up in each half
// turn; the head faces the viewer in frame 0 and comes back at full width in
// the last frame. Edges carry the share of each pixel the squeezed disc
// covers as alpha; the faces keep their own transparency.
#include "render/Look.h"

namespace pivra {

// Where frame k of count stands in the turn: its width as a share of the
// side (0 to 1) and whether it shows the head. Each half turn has
// (count + 1) / 2 or count / 2 frames, evenly from full width through
// edge-on (blank, when the half has an odd number of frames) to full width.
struct FlatStep {
    double width = 1;
    bool head = true;
};
FlatStep FlatPlan(int k, int count);

class FlatLook : public Look {
public:
    // head, tail: the pictures upright, any size; each is resized once to side.
    FlatLook(const imagelib::Picture& head, const imagelib::Picture& tail, int side, int frames);

    int side() const override { return side_; }
    int frameCount() const override { return frames_; }
    imagelib::Picture frame(int k) const override;

private:
    int side_, frames_;
    imagelib::Picture head_, tail_;
};

}  // namespace pivra
