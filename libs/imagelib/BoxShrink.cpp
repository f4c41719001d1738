#include "BoxShrink.h"

#include <algorithm>

namespace pivra::imagelib {

BoxShrink::BoxShrink(int width, int height, int d, bool premultiplied)
    : width_(width), height_(height), d_(std::max(d, 1)), premultiplied_(premultiplied),
      out_((width + d_ - 1) / d_, (height + d_ - 1) / d_) {
    sums_.assign(static_cast<std::size_t>(out_.width) * 4, 0);
}

int BoxShrink::factorFor(int width, int height, int targetWidth, int targetHeight) {
    int d = 1;
    while ((width + d) / (d + 1) >= 2LL * targetWidth && (height + d) / (d + 1) >= 2LL * targetHeight) ++d;
    return d;
}

std::uint64_t* BoxShrink::sumsAt(int x, int y) {
    const int outY = y / d_;
    if (pieces_) return &sums_[(static_cast<std::size_t>(outY) * out_.width + x / d_) * 4];
    if (outY != pendingRow_) {
        if (pendingRow_ >= 0) flushRow(pendingRow_);
        pendingRow_ = outY;
    }
    return &sums_[static_cast<std::size_t>(x / d_) * 4];
}

void BoxShrink::addPixel(int x, int y, const std::uint8_t* p) {
    if (!pieces_) {
        // From now on every output pixel keeps its sums until the end.
        pieces_ = true;
        sums_.assign(out_.pixelCount() * 4, 0);
        pendingRow_ = -1;
    }
    std::uint64_t* s = sumsAt(x, y);
    const unsigned a = p[3];
    if (premultiplied_) {
        for (int c = 0; c < 3; ++c) s[c] += p[c] * 255u;
    } else {
        for (int c = 0; c < 3; ++c) s[c] += p[c] * a;
    }
    s[3] += a;
}

void BoxShrink::addRow(int y, const std::uint8_t* p) {
    if (pieces_) {
        for (int x = 0; x < width_; ++x) addPixel(x, y, p + x * 4);
        return;
    }
    std::uint64_t* row = sumsAt(0, y);
    for (int x = 0; x < width_; ++x, p += 4) {
        std::uint64_t* s = row + static_cast<std::size_t>(x / d_) * 4;
        const unsigned a = p[3];
        const unsigned weight = premultiplied_ ? 255u : a;
        s[0] += p[0] * weight, s[1] += p[1] * weight, s[2] += p[2] * weight, s[3] += a;
    }
    if (y == height_ - 1) flushRow(y / d_), pendingRow_ = -1;
}

void BoxShrink::flushRow(int outY) {
    const int rows = std::min(d_, height_ - outY * d_);
    for (int ox = 0; ox < out_.width; ++ox) {
        std::uint64_t* s = &sums_[static_cast<std::size_t>(ox) * 4];
        const std::uint64_t count = static_cast<std::uint64_t>(rows) * std::min(d_, width_ - ox * d_);
        std::uint8_t* q = out_.pixel(ox, outY);
        for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>(s[3] ? std::min<std::uint64_t>(255, (s[c] + s[3] / 2) / s[3]) : 0);
        q[3] = static_cast<std::uint8_t>((s[3] + count / 2) / count);
        s[0] = s[1] = s[2] = s[3] = 0;
    }
}

Picture BoxShrink::take() {
    if (pieces_) {
        // Every output row from its own sums.
        std::vector<std::uint64_t> all = std::move(sums_);
        for (int oy = 0; oy < out_.height; ++oy) {
            sums_.assign(all.begin() + static_cast<std::ptrdiff_t>(oy) * out_.width * 4,
                         all.begin() + static_cast<std::ptrdiff_t>(oy + 1) * out_.width * 4);
            flushRow(oy);
        }
    } else if (pendingRow_ >= 0) {
        flushRow(pendingRow_);
    }
    return std::move(out_);
}

}  // namespace pivra::imagelib
