#include "ColorQuantizer.h"

#include <algorithm>

namespace pivra::imagelib {

namespace {

constexpr std::uint8_t kOpaqueThreshold = 128;

std::uint32_t rgbKey(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

std::uint32_t cellOf(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} >> 3 << 10) | (std::uint32_t{p[1]} >> 3 << 5) | (p[2] >> 3);
}

// Open-addressed colour table that gives up after `limit` distinct colours.
class ExactPalette {
public:
    explicit ExactPalette(int limit) : limit_(limit), keys_(kSlots, kEmpty), index_(kSlots, 0) {}

    // The entry for the colour, or -1 once the palette would overflow.
    int indexOf(std::uint32_t key) {
        std::uint32_t slot = (key * 2654435761u) >> (32 - kBits);
        while (keys_[slot] != kEmpty) {
            if (keys_[slot] == key) return index_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (static_cast<int>(colors.size()) >= limit_) return -1;
        keys_[slot] = key;
        index_[slot] = static_cast<std::uint8_t>(colors.size());
        colors.push_back({static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 8),
                          static_cast<std::uint8_t>(key)});
        return index_[slot];
    }

    std::vector<PaletteColor> colors;

private:
    static constexpr int kBits = 10;
    static constexpr std::uint32_t kSlots = 1u << kBits;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    int limit_;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint8_t> index_;
};

bool tryExactPalette(const Picture& picture, bool hasTransparent, int maxColours, IndexedPicture& out) {
    const int limit = hasTransparent ? maxColours - 1 : maxColours;
    ExactPalette table(limit);
    std::uint32_t lastKey = 0xFFFFFFFFu;
    int lastIndex = 0;
    const std::size_t count = picture.pixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &picture.rgba[i * 4];
        if (p[3] < kOpaqueThreshold) {
            out.indices[i] = 0;  // fixed once the palette size is known
            continue;
        }
        std::uint32_t key = rgbKey(p);
        if (key != lastKey) {
            lastIndex = table.indexOf(key);
            if (lastIndex < 0) return false;
            lastKey = key;
        }
        out.indices[i] = static_cast<std::uint8_t>(lastIndex);
    }
    out.palette = std::move(table.colors);
    if (hasTransparent) {
        out.transparentIndex = static_cast<int>(out.palette.size());
        out.palette.push_back({0, 0, 0});
        for (std::size_t i = 0; i < count; ++i)
            if (picture.rgba[i * 4 + 3] < kOpaqueThreshold)
                out.indices[i] = static_cast<std::uint8_t>(out.transparentIndex);
    }
    if (out.palette.empty()) out.palette.push_back({0, 0, 0});
    return true;
}

struct Cell {
    std::uint32_t count = 0;
    std::uint32_t sum[3] = {0, 0, 0};
};

struct Box {
    std::size_t begin, end;  // range of cell numbers in the work list
    std::uint64_t count;
    int lo[3], hi[3];
    double error[3];  // see boxError
};

int axisValue(std::uint32_t cell, int axis) { return (cell >> (10 - 5 * axis)) & 31; }

// The box's squared error along each axis, from the cell coordinates
// weighted by their pixel counts: the box with the most error is split next.
void boxError(const Box& box, const std::vector<std::uint32_t>& cells, const std::vector<Cell>& hist,
              double error[3]) {
    double sum[3] = {0, 0, 0}, squares[3] = {0, 0, 0}, n = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        const double count = hist[cells[i]].count;
        n += count;
        for (int a = 0; a < 3; ++a) {
            const double v = axisValue(cells[i], a);
            sum[a] += v * count;
            squares[a] += v * v * count;
        }
    }
    for (int a = 0; a < 3; ++a) error[a] = n > 0 ? squares[a] - sum[a] * sum[a] / n : 0.0;
}

void shrinkBox(Box& box, const std::vector<std::uint32_t>& cells, const std::vector<Cell>& hist) {
    box.count = 0;
    for (int a = 0; a < 3; ++a) box.lo[a] = 31, box.hi[a] = 0;
    boxError(box, cells, hist, box.error);
    for (std::size_t i = box.begin; i < box.end; ++i) {
        box.count += hist[cells[i]].count;
        for (int a = 0; a < 3; ++a) {
            int v = axisValue(cells[i], a);
            box.lo[a] = std::min(box.lo[a], v);
            box.hi[a] = std::max(box.hi[a], v);
        }
    }
}

bool splitBox(Box& box, Box& second, int axis, std::vector<std::uint32_t>& cells,
              const std::vector<Cell>& hist) {
    std::uint64_t perValue[32] = {};
    for (std::size_t i = box.begin; i < box.end; ++i)
        perValue[axisValue(cells[i], axis)] += hist[cells[i]].count;
    // The cut that leaves the least squared error in the two halves.
    double totalCount = 0, totalSum = 0;
    for (int v = box.lo[axis]; v <= box.hi[axis]; ++v) {
        totalCount += static_cast<double>(perValue[v]);
        totalSum += static_cast<double>(perValue[v]) * v;
    }
    double leftCount = 0, leftSum = 0, bestScore = -1.0;
    int cut = box.lo[axis];
    for (int v = box.lo[axis]; v < box.hi[axis]; ++v) {
        leftCount += static_cast<double>(perValue[v]);
        leftSum += static_cast<double>(perValue[v]) * v;
        const double rightCount = totalCount - leftCount;
        if (leftCount <= 0 || rightCount <= 0) continue;
        const double rightSum = totalSum - leftSum;
        // Maximising this between-halves term minimises the error left inside them.
        const double score = leftSum * leftSum / leftCount + rightSum * rightSum / rightCount;
        if (score > bestScore) bestScore = score, cut = v;
    }
    auto middle = std::partition(cells.begin() + static_cast<std::ptrdiff_t>(box.begin),
                                 cells.begin() + static_cast<std::ptrdiff_t>(box.end),
                                 [&](std::uint32_t c) { return axisValue(c, axis) <= cut; });
    std::size_t mid = static_cast<std::size_t>(middle - cells.begin());
    if (mid == box.begin || mid == box.end) return false;
    second = box;
    second.begin = mid;
    box.end = mid;
    shrinkBox(box, cells, hist);
    shrinkBox(second, cells, hist);
    return true;
}

std::uint8_t nearestEntry(const std::vector<PaletteColor>& palette, int r, int g, int b, int start) {
    auto distance = [&](const PaletteColor& c) {
        const int dr = r - c.r, dg = g - c.g, db = b - c.b;
        return dr * dr + dg * dg + db * db;
    };
    int best = start;
    int bestDistance = distance(palette[start]);
    for (int i = 0; i < static_cast<int>(palette.size()) && bestDistance > 0; ++i) {
        const int dr = r - palette[i].r;
        if (dr * dr >= bestDistance) continue;
        const int d = distance(palette[i]);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return static_cast<std::uint8_t>(best);
}

// The 32K-cell histogram, kept from call to call: clearing and scanning all
// of it cost more than counting a small picture. Only the cells a picture
// used are cleared after it.
class UsedCells {
public:
    UsedCells() : hist_(histogram()) {}
    ~UsedCells() {
        for (const std::uint32_t c : cells) hist_[c] = Cell{};
    }
    UsedCells(const UsedCells&) = delete;
    UsedCells& operator=(const UsedCells&) = delete;

    Cell& operator[](std::uint32_t c) {
        if (hist_[c].count == 0) cells.push_back(c);
        return hist_[c];
    }
    const std::vector<Cell>& hist() const { return hist_; }
    std::vector<std::uint32_t> cells;  // every cell used, in any order

private:
    static std::vector<Cell>& histogram() {
        thread_local std::vector<Cell> hist(1u << 15);
        return hist;
    }
    std::vector<Cell>& hist_;
};

void medianCut(const Picture& picture, bool hasTransparent, int maxColours, IndexedPicture& out) {
    UsedCells used;
    const std::size_t count = picture.pixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &picture.rgba[i * 4];
        if (p[3] < kOpaqueThreshold) continue;
        Cell& cell = used[cellOf(p)];
        ++cell.count;
        cell.sum[0] += p[0];
        cell.sum[1] += p[1];
        cell.sum[2] += p[2];
    }
    const std::vector<Cell>& hist = used.hist();
    std::vector<std::uint32_t>& cells = used.cells;
    std::sort(cells.begin(), cells.end());  // in cell order, as a scan of the whole table finds them

    const std::size_t maxBoxes = static_cast<std::size_t>(hasTransparent ? maxColours - 1 : maxColours);
    std::vector<Box> boxes;
    boxes.push_back(Box{0, cells.size(), 0, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    shrinkBox(boxes[0], cells, hist);
    while (boxes.size() < maxBoxes) {
        std::size_t best = 0;
        int bestAxis = 0;
        double bestError = 0.0;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            for (int a = 0; a < 3; ++a)
                if (boxes[b].hi[a] > boxes[b].lo[a] && boxes[b].error[a] > bestError)
                    bestError = boxes[b].error[a], best = b, bestAxis = a;
        }
        if (bestError <= 0.0) break;
        Box second{};
        if (!splitBox(boxes[best], second, bestAxis, cells, hist)) break;
        boxes.push_back(second);
    }

    // Each box's colour is the mean of its pixels.
    out.palette.clear();
    for (const Box& box : boxes) {
        std::uint64_t sum[3] = {0, 0, 0}, n = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            const Cell& cell = hist[cells[i]];
            n += cell.count;
            for (int a = 0; a < 3; ++a) sum[a] += cell.sum[a];
        }
        PaletteColor color;
        if (n) {
            color.r = static_cast<std::uint8_t>((sum[0] + n / 2) / n);
            color.g = static_cast<std::uint8_t>((sum[1] + n / 2) / n);
            color.b = static_cast<std::uint8_t>((sum[2] + n / 2) / n);
        }
        out.palette.push_back(color);
    }

    // The 32K table sends every used cell to the palette entry nearest its
    // mean colour, which may belong to another box: a sparse box far from
    // its own mean would otherwise show far wrong colours.
    std::vector<std::uint8_t> lookup(1u << 15, 0);
    for (std::size_t b = 0; b < boxes.size(); ++b)
        for (std::size_t i = boxes[b].begin; i < boxes[b].end; ++i) {
            const Cell& cell = hist[cells[i]];
            const int r = static_cast<int>(cell.sum[0] / cell.count);
            const int g = static_cast<int>(cell.sum[1] / cell.count);
            const int bl = static_cast<int>(cell.sum[2] / cell.count);
            lookup[cells[i]] = nearestEntry(out.palette, r, g, bl, static_cast<int>(b));
        }
    if (hasTransparent) {
        out.transparentIndex = static_cast<int>(out.palette.size());
        out.palette.push_back({0, 0, 0});
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &picture.rgba[i * 4];
        out.indices[i] = p[3] < kOpaqueThreshold ? static_cast<std::uint8_t>(out.transparentIndex)
                                                 : lookup[cellOf(p)];
    }
}

}  // namespace

IndexedPicture quantizePicture(const Picture& picture, int maxColours) {
    IndexedPicture out;
    out.width = picture.width;
    out.height = picture.height;
    out.indices.assign(picture.pixelCount(), 0);
    bool hasTransparent = false;
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4)
        if (picture.rgba[i] < kOpaqueThreshold) {
            hasTransparent = true;
            break;
        }
    if (!tryExactPalette(picture, hasTransparent, maxColours, out)) {
        out.transparentIndex = -1;
        medianCut(picture, hasTransparent, maxColours, out);
    }
    return out;
}

}  // namespace pivra::imagelib
