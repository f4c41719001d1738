#pragma once
// Light on the coin: one lamp above, to the left and in front, plus an even
// ambient share, and a highlight that moves as the coin turns. Off, every
// surface shows its own colour.
namespace pivra {

struct CoinLight {
    bool on = true;

    // What a surface's colour is multiplied by, and the white added on top,
    // for its outward normal n and the unit direction v toward the camera
    // (both world space). Face-on to the viewer a face keeps about its own
    // brightness; turned away it darkens.
    void shade(const double n[3], const double v[3], float& gain, float& highlight) const;
};

}  // namespace pivra
