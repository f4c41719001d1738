#pragma once
// The coin look: the two pictures on the faces of a solid coin with a rim,
// turning at an even angle per frame, lit from the upper left, seen with a
// mild perspective; the head faces the viewer in frame 0. Frames are RGBA
// with the coverage of each pixel as alpha. frame() may run on several
// threads at once.
#include <optional>

#include "PixelOps.h"
#include "Picture.h"
#include "render/CoinGeometry.h"
#include "render/CoinLight.h"
#include "render/FaceSampler.h"
#include "render/Look.h"

namespace pivra {

struct CoinLookOptions {
    int side = 192;      // the frames' side in pixels
    int frames = 50;     // one whole turn
    int thickness = 6;   // the rim, in percent of the diameter (0 to 20)
    std::optional<imagelib::Rgb> rim;  // the rim's colour; the faces' outer ring when none
    bool light = true;
    bool perspective = true;
};

class CoinLook : public Look {
public:
    // head, tail: the pictures upright, any size; each is resized once to
    // the coin's diameter.
    CoinLook(const imagelib::Picture& head, const imagelib::Picture& tail, const CoinLookOptions& options);

    int side() const override { return options_.side; }
    int frameCount() const override { return options_.frames; }
    // The coin's diameter in pixels: the side, less the room the rim and the
    // perspective need over a whole turn.
    double diameter() const { return diameter_; }
    // The turn of frame k, in radians.
    double angle(int k) const;

    imagelib::Picture frame(int k) const override;

private:
    // head, tail: already the diameter across.
    CoinLook(const CoinLookOptions& options, const imagelib::Picture& head, const imagelib::Picture& tail);
    struct Sample;
    Sample shadeAt(const CoinTurn& turn, double sx, double sy) const;

    CoinLookOptions options_;
    CoinShape shape_;
    CoinLight light_;
    double diameter_;
    double pixel_;  // one pixel in radii
    FaceSampler head_, tail_;
    float rim_[3];
};

// The diameter a coin of this look gets in frames of `side` pixels.
double CoinDiameter(const CoinLookOptions& options);

// The side a face is loaded at for this look: the diameter's whole pixels,
// so that it is resized only once.
int CoinFaceSide(const CoinLookOptions& options);

}  // namespace pivra
