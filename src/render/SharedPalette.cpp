#include "render/SharedPalette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace pivra {

namespace {

using Vec = std::array<float, 4>;  // premultiplied r, g, b (0 to 255) and alpha

// Histogram cells: colour to 5 bits a channel, alpha in 16 steps with the
// opaque apart, as most pixels are opaque and the rim spreads over the rest.
constexpr std::uint32_t kCells = 17u << 15;

std::uint32_t CellOf(const std::uint8_t* p) {
    const std::uint32_t alpha = p[3] == 255 ? 16 : p[3] >> 4;
    return alpha << 15 | std::uint32_t{p[0]} >> 3 << 10 | std::uint32_t{p[1]} >> 3 << 5 | std::uint32_t{p[2]} >> 3;
}

struct Cell {
    std::uint64_t count = 0;
    std::uint64_t sum[4] = {0, 0, 0, 0};  // c x a for each colour, and a
};

struct Point {
    Vec v;
    double weight;
};

Vec Premultiplied(int r, int g, int b, int a) {
    const float s = a / 255.0f;
    return {r * s, g * s, b * s, float(a)};
}

// The squared error the difference shows over black plus that over white:
// the colours' own difference, and that difference less the alpha's.
float Distance(const Vec& x, const Vec& y) {
    const float da = x[3] - y[3];
    float d = 0;
    for (int i = 0; i < 3; ++i) {
        const float dc = x[i] - y[i];
        d += dc * dc + (dc - da) * (dc - da);
    }
    return d;
}

struct Box {
    std::size_t begin, end;
    double error;  // weighted squared distance of its points from their mean
};

Vec MeanOf(const std::vector<Point>& points, std::size_t begin, std::size_t end) {
    double sum[4] = {0, 0, 0, 0}, n = 0;
    for (std::size_t i = begin; i < end; ++i) {
        n += points[i].weight;
        for (int a = 0; a < 4; ++a) sum[a] += points[i].v[a] * points[i].weight;
    }
    Vec mean{};
    for (int a = 0; a < 4; ++a) mean[a] = n > 0 ? float(sum[a] / n) : 0.0f;
    return mean;
}

double ErrorOf(const std::vector<Point>& points, std::size_t begin, std::size_t end) {
    const Vec mean = MeanOf(points, begin, end);
    double e = 0;
    for (std::size_t i = begin; i < end; ++i) e += Distance(points[i].v, mean) * points[i].weight;
    return e;
}

// Splits the box across its widest-spread axis where the two halves keep
// the least squared error along it.
bool Split(std::vector<Point>& points, Box& box, Box& second) {
    const Vec mean = MeanOf(points, box.begin, box.end);
    double spread[4] = {0, 0, 0, 0};
    for (std::size_t i = box.begin; i < box.end; ++i)
        for (int a = 0; a < 4; ++a) spread[a] += (points[i].v[a] - mean[a]) * (points[i].v[a] - mean[a]) * points[i].weight;
    const int axis = int(std::max_element(spread, spread + 4) - spread);
    const auto first = points.begin() + std::ptrdiff_t(box.begin), last = points.begin() + std::ptrdiff_t(box.end);
    std::sort(first, last, [axis](const Point& x, const Point& y) { return x.v[axis] < y.v[axis]; });
    double totalW = 0, totalS = 0;
    for (auto p = first; p != last; ++p) totalW += p->weight, totalS += p->v[axis] * p->weight;
    double leftW = 0, leftS = 0, best = -1;
    std::size_t cut = box.begin;
    for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
        leftW += points[i].weight, leftS += points[i].v[axis] * points[i].weight;
        if (points[i].v[axis] == points[i + 1].v[axis]) continue;
        const double rightW = totalW - leftW, rightS = totalS - leftS;
        const double score = leftS * leftS / leftW + rightS * rightS / rightW;  // the more, the less error left
        if (score > best) best = score, cut = i + 1;
    }
    if (best < 0) return false;
    second = Box{cut, box.end, ErrorOf(points, cut, box.end)};
    box = Box{box.begin, cut, ErrorOf(points, box.begin, cut)};
    return true;
}

std::vector<Vec> MedianCut(std::vector<Point>& points, int count) {
    std::vector<Box> boxes{{0, points.size(), ErrorOf(points, 0, points.size())}};
    while (int(boxes.size()) < count) {
        std::size_t worst = 0;
        for (std::size_t b = 1; b < boxes.size(); ++b)
            if (boxes[b].error > boxes[worst].error) worst = b;
        Box second{};
        if (boxes[worst].error <= 0 || !Split(points, boxes[worst], second)) break;
        boxes.push_back(second);
    }
    std::vector<Vec> centres;
    for (const Box& b : boxes) centres.push_back(MeanOf(points, b.begin, b.end));
    return centres;
}

std::size_t NearestOf(const std::vector<Vec>& centres, const Vec& v) {
    std::size_t best = 0;
    float bestDistance = Distance(centres[0], v);
    for (std::size_t i = 1; i < centres.size(); ++i) {
        const float d = Distance(centres[i], v);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

// Lloyd's rounds: each centre moves to the mean of the points nearest it.
void Refine(const std::vector<Point>& points, std::vector<Vec>& centres, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::array<double, 5>> sums(centres.size(), {0, 0, 0, 0, 0});
        for (const Point& p : points) {
            auto& s = sums[NearestOf(centres, p.v)];
            for (int a = 0; a < 4; ++a) s[a] += p.v[a] * p.weight;
            s[4] += p.weight;
        }
        for (std::size_t c = 0; c < centres.size(); ++c)
            if (sums[c][4] > 0)
                for (int a = 0; a < 4; ++a) centres[c][a] = float(sums[c][a] / sums[c][4]);
    }
}

RgbaEntry EntryOf(const Vec& v) {
    const int a = std::clamp(int(std::lround(v[3])), 1, 255);
    const auto colour = [a](float c) { return std::uint8_t(std::clamp(std::lround(c * 255.0f / a), 0L, 255L)); };
    return {colour(v[0]), colour(v[1]), colour(v[2]), std::uint8_t(a)};
}

// Cache keys: colour to 6 bits a channel, alpha to 5 bits or opaque.
constexpr std::uint32_t kKeys = 33u << 18;

}  // namespace

SharedPalette::SharedPalette(const std::vector<const imagelib::Picture*>& frames, int colours)
    : cache_(new std::atomic<std::uint16_t>[kKeys]()) {
    std::vector<Cell> cells(kCells);
    std::vector<std::uint32_t> used;
    bool anyClear = false;
    for (const imagelib::Picture* f : frames)
        for (std::size_t i = 0; i < f->rgba.size(); i += 4) {
            const std::uint8_t* p = &f->rgba[i];
            if (p[3] == 0) {
                anyClear = true;
                continue;
            }
            Cell& c = cells[CellOf(p)];
            if (c.count++ == 0) used.push_back(CellOf(p));
            for (int a = 0; a < 3; ++a) c.sum[a] += std::uint64_t{p[a]} * p[3];
            c.sum[3] += p[3];
        }
    std::sort(used.begin(), used.end());  // the same points in the same order, however the frames came
    std::vector<Point> points;
    points.reserve(used.size());
    for (const std::uint32_t u : used) {
        const Cell& c = cells[u];
        const double n = double(c.count);
        points.push_back({Vec{float(c.sum[0] / 255.0 / n), float(c.sum[1] / 255.0 / n), float(c.sum[2] / 255.0 / n),
                              float(c.sum[3] / n)},
                          n});
    }
    const int shown = std::clamp(colours, 2, 256) - (anyClear ? 1 : 0);
    std::vector<Vec> centres;
    if (!points.empty()) {
        centres = MedianCut(points, shown);
        Refine(points, centres, 3);
    }
    if (anyClear || centres.empty()) entries_.push_back(RgbaEntry{});
    for (const Vec& c : centres) entries_.push_back(EntryOf(c));
    // Clear first, then the partly clear, then the opaque from dark to light.
    std::stable_sort(entries_.begin(), entries_.end(), [](const RgbaEntry& x, const RgbaEntry& y) {
        const auto key = [](const RgbaEntry& e) { return std::make_tuple(e.a == 255, e.a, 2 * e.r + 5 * e.g + e.b); };
        return key(x) < key(y);
    });
    while (translucent_ < int(entries_.size()) && entries_[std::size_t(translucent_)].a < 255) ++translucent_;
    if (!entries_.empty() && entries_[0].a == 0) clearEntry_ = 0;
    for (const RgbaEntry& e : entries_) premultiplied_.push_back(Premultiplied(e.r, e.g, e.b, e.a));
}

std::uint8_t SharedPalette::nearest(int r, int g, int b, int a) const {
    const Vec v = Premultiplied(r, g, b, a);
    std::size_t best = 0;
    float bestDistance = 1e30f;
    for (std::size_t i = 0; i < premultiplied_.size(); ++i) {
        const float d = Distance(premultiplied_[i], v);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return std::uint8_t(best);
}

std::vector<std::uint8_t> SharedPalette::map(const imagelib::Picture& frame) const {
    std::vector<std::uint8_t> indices(frame.pixelCount());
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const std::uint8_t* p = &frame.rgba[i * 4];
        if (p[3] == 0 && clearEntry_ >= 0) {
            indices[i] = std::uint8_t(clearEntry_);
            continue;
        }
        // Each key stands for the middle of its range, so that the answer
        // does not depend on which pixel asked first.
        const std::uint32_t alpha = p[3] == 255 ? 32 : p[3] >> 3;
        const std::uint32_t key = alpha << 18 | std::uint32_t{p[0]} >> 2 << 12 | std::uint32_t{p[1]} >> 2 << 6 | p[2] >> 2;
        std::uint16_t known = cache_[key].load(std::memory_order_relaxed);
        if (known == 0) {
            known = std::uint16_t(1 + nearest(p[0] >> 2 << 2 | 2, p[1] >> 2 << 2 | 2, p[2] >> 2 << 2 | 2,
                                              alpha == 32 ? 255 : int(alpha << 3 | 4)));
            cache_[key].store(known, std::memory_order_relaxed);
        }
        indices[i] = std::uint8_t(known - 1);
    }
    return indices;
}

}  // namespace pivra
