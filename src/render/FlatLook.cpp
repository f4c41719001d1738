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
// the chord measured exactly, as the GIF's mask disc is drawn. A pixel a
// sub-row's chord crosses whole gains exactly 1/16 from it, so those are
// counted; only the few pixels where a chord ends are summed sub-row by
// sub-row, in the same order and so to the same last bit as summing all.
void CoverRow(int y, double cx, double cy, double a, double b, std::vector<double>& share,
              std::vector<int>& whole) {
    constexpr int kRows = 16;
    const int width = static_cast<int>(share.size());
    std::fill(whole.begin(), whole.end(), 0);
    double lo[kRows], hi[kRows];
    int rows = 0;
    for (int s = 0; s < kRows; ++s) {
        const double dy = (y + (s + 0.5) / kRows - cy) / b;
        if (std::fabs(dy) >= 1.0) continue;
        const double half = a * std::sqrt(1.0 - dy * dy);
        lo[rows] = cx - half, hi[rows] = cx + half;
        // Whole pixels: x >= lo and x + 1 <= hi.
        const int first = std::max(0, static_cast<int>(std::ceil(lo[rows])));
        const int last = std::min(width, static_cast<int>(std::floor(hi[rows])));  // one past
        if (first < last) ++whole[static_cast<size_t>(first)], --whole[static_cast<size_t>(last)];
        ++rows;
    }
    int count = 0;
    for (int x = 0; x < width; ++x) {
        count += whole[static_cast<size_t>(x)];
        share[static_cast<size_t>(x)] = count / double(kRows);
    }
    // The pixels where a chord ends, summed afresh in sub-row order.
    for (int r = 0; r < rows; ++r)
        for (const double end : {lo[r], hi[r]}) {
            const int x = static_cast<int>(std::floor(end));
            if (x < 0 || x >= width || static_cast<double>(x) == end) continue;
            double sum = 0;
            for (int t = 0; t < rows; ++t)
                if (x >= std::max(0, static_cast<int>(lo[t])) && x < hi[t])
                    sum += (std::min(x + 1.0, hi[t]) - std::max(double(x), lo[t])) / kRows;
            share[static_cast<size_t>(x)] = sum;
        }
}

// std::lround of a value from 0 up, without the library call.
long RoundHalfUp(double v) {
    const double whole = std::floor(v);
    return static_cast<long>(whole) + (v - whole >= 0.5 ? 1 : 0);
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
    std::vector<int> whole(static_cast<size_t>(side_) + 1);
    for (int y = 0; y < side_; ++y) {
        CoverRow(y, side_ / 2.0, side_ / 2.0, w / 2, side_ / 2.0, cover, whole);
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
                q[0] = static_cast<std::uint8_t>(RoundHalfUp(std::min(255.0f, r / a)));
                q[1] = static_cast<std::uint8_t>(RoundHalfUp(std::min(255.0f, g / a)));
                q[2] = static_cast<std::uint8_t>(RoundHalfUp(std::min(255.0f, b / a)));
            }
            q[3] = static_cast<std::uint8_t>(RoundHalfUp(std::clamp(cover[static_cast<size_t>(c.x)], 0.0, 1.0) * a));
        }
    }
    return out;
}

}  // namespace pivra
