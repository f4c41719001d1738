#pragma once
// Frames and faces the render tests draw for themselves.
#include <algorithm>
#include <cmath>
#include <memory>

#include "PictureLoader.h"

namespace pivra::test {

// A square face with detail at every scale: gradients, a ring and stripes.
inline imagelib::LoadedPicture DetailedFace(int side, int seed) {
    auto face = std::make_shared<imagelib::Picture>(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::uint8_t* p = face->pixel(x, y);
            const double ring = 60 * std::exp(-std::pow((std::hypot(x - side / 2.0, y - side / 2.0) / side - 0.3) / 0.05, 2));
            p[0] = static_cast<std::uint8_t>(30 + x * 180 / side + seed * 10);
            p[1] = static_cast<std::uint8_t>(std::min(255.0, 40 + y * 150 / side + ring));
            p[2] = static_cast<std::uint8_t>(120 + 50 * seed * std::sin(x / 25.0));
            p[3] = 255;
        }
    return {face, {}};
}

// An odd-sized frame of its own: a disc that moves, clear around it, its
// colour grained afresh in every frame, so encoders cannot coast.
inline imagelib::Picture MovingDisc(int w, int h, int k) {
    imagelib::Picture f(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - (w / 3.0 + k % 7), y - h / 2.0) - h / 3.0;
            std::uint8_t* p = f.pixel(x, y);
            const unsigned grain = (x * 73856093u ^ y * 19349663u ^ k * 83492791u) % 61;
            p[0] = static_cast<std::uint8_t>(200 - 4 * k), p[1] = static_cast<std::uint8_t>(x * 5 + grain), p[2] = 90;
            p[3] = static_cast<std::uint8_t>(std::lround(255 * std::clamp(0.5 - d, 0.0, 1.0)));
        }
    return f;
}

}  // namespace pivra::test
