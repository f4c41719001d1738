#include "CoinLight.h"

#include <algorithm>
#include <cmath>

namespace pivra {
namespace {

// Upper left, in front: normalised (-1, 0.55, 1.2).
constexpr double kLamp[3] = {-0.6165, 0.3391, 0.7398};
constexpr double kAmbient = 0.42;
// The lamp's share, set so that a face turned straight at the viewer keeps
// its brightness: kAmbient + kDiffuse * kLamp[2] = 1.
constexpr double kDiffuse = (1.0 - kAmbient) / 0.7398;
constexpr double kShine = 0.45;


double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

void CoinLight::shade(const double n[3], const double v[3], float& gain, float& highlight) const {
    if (!on) {
        gain = 1, highlight = 0;
        return;
    }
    gain = static_cast<float>(kAmbient + kDiffuse * std::max(0.0, Dot(n, kLamp)));
    // Blinn's half vector: the highlight sits where the surface would mirror
    // the lamp into the camera; it varies across a face because the camera
    // sees each point from a slightly different direction.
    double half[3] = {kLamp[0] + v[0], kLamp[1] + v[1], kLamp[2] + v[2]};
    const double len = std::sqrt(Dot(half, half));
    for (double& c : half) c /= len;
    // Shininess 32, by squaring five times.
    double spot = std::max(0.0, Dot(n, half));
    for (int i = 0; i < 5; ++i) spot *= spot;
    highlight = static_cast<float>(kShine * spot);
}

}  // namespace pivra
