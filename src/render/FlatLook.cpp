#include "render/FlatLook.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Resizer.h"

namespace pivra {
namespace {

imagelib::Picture FaceAt(const imagelib::Picture& picture, int side) {
    if (picture.width == side && picture.height == side) return picture;
    return imagelib::resizePicture(picture, side, side);
}

// The share of each pixel of one row that the ellipse of half-width a and
// half-height b, centred at (cx, cy), covers: sixteen sub-rows, along each
// the chord measured exactly, as the GIF's mask disc is drawn.
void CoverRow(int y, double cx, double cy, double a, double b, std::vector<double>& share) {
    constexpr int kRows = 16;
    std::fill(share.begin(), share.end(), 0.0);
    const int width = static_cast<int>(share.size());
    for (int s = 0; s < kRows; ++s) {
        const double dy = (y + (s + 0.5) / kRows - cy) / b;
        if (std::fabs(dy) >= 1.0) continue;
        const double half = a * std::sqrt(1.0 - dy * dy), lo = cx - half, hi = cx + half;
        for (int x = std::max(0, static_cast<int>(lo)); x < width && x < hi; ++x)
            share[static_cast<size_t>(x)] += (std::min(x + 1.0, hi) - std::max(double(x), lo)) / kRows;
    }
}

// One column of the frame: the face's columns it averages and their weights.
struct Column {
    int x = 0;
    std::vector<std::pair<int, float>> taps;
};

}  // namespace

FlatStep FlatPlan(int k, int count) {
    const int first = (count + 1) / 2;
    const bool firstHalf = k < first;
    const int frames = firstHalf ? first : count - first;
    const int j = firstHalf ? k : k - first;
    const double s = frames > 1 ? 1.0 - 2.0 * j / (frames - 1) : 1.0;
    // The face that shrinks in the first half is the head, the one that grows the tail; then back.
    return FlatStep{std::fabs(s), (s >= 0) == firstHalf};
}

FlatLook::FlatLook(const imagelib::Picture& head, const imagelib::Picture& tail, int side, int frames)
    : side_(side), frames_(frames), head_(FaceAt(head, side)), tail_(FaceAt(tail, side)) {}

imagelib::Picture FlatLook::frame(int k) const {
    imagelib::Picture out(side_, side_);  // transparent black
    const FlatStep step = FlatPlan(k, frames_);
    const double w = step.width * side_;
    if (w < 1e-6) return out;  // edge-on: blank
    const imagelib::Picture& face = step.head ? head_ : tail_;
    const double left = (side_ - w) / 2, scale = side_ / w;
    // Each frame column averages the face over the stretch it squeezes into it.
    std::vector<Column> columns;
    for (int x = std::max(0, static_cast<int>(std::floor(left))); x < side_ && x < left + w; ++x) {
        const double u0 = (std::max(double(x), left) - left) * scale;
        const double u1 = (std::min(x + 1.0, left + w) - left) * scale;
        Column c{x, {}};
        for (int i = static_cast<int>(u0); i < side_ && i < u1; ++i) {
            const double part = std::min(i + 1.0, u1) - std::max(double(i), u0);
            if (part > 0) c.taps.emplace_back(i, static_cast<float>(part / (u1 - u0)));
        }
        if (!c.taps.empty()) columns.push_back(std::move(c));
    }
    std::vector<double> cover(static_cast<size_t>(side_));
    for (int y = 0; y < side_; ++y) {
        CoverRow(y, side_ / 2.0, side_ / 2.0, w / 2, side_ / 2.0, cover);
        const std::uint8_t* row = face.pixel(0, y);
        for (const Column& c : columns) {
            float r = 0, g = 0, b = 0, a = 0;
            for (const auto& [i, weight] : c.taps) {
                const std::uint8_t* p = row + static_cast<size_t>(i) * 4;
                const float pa = p[3] * weight;
                r += p[0] * pa, g += p[1] * pa, b += p[2] * pa, a += pa;
            }
            std::uint8_t* q = out.pixel(c.x, y);
            // The face's colour also where the disc does not reach (alpha 0):
            // flat colour there costs encoders nothing.
            if (a > 0) {
                q[0] = static_cast<std::uint8_t>(std::lround(std::min(255.0f, r / a)));
                q[1] = static_cast<std::uint8_t>(std::lround(std::min(255.0f, g / a)));
                q[2] = static_cast<std::uint8_t>(std::lround(std::min(255.0f, b / a)));
            }
            q[3] = static_cast<std::uint8_t>(std::lround(std::clamp(cover[static_cast<size_t>(c.x)], 0.0, 1.0) * a));
        }
    }
    return out;
}

}  // namespace pivra
