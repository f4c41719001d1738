#include "Resizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "PlainPath.h"
#include "ResizeMemo.h"
#include "ResizePlane.h"

namespace pivra::imagelib {

namespace {

enum class ResizeKernel { Lanczos, Mitchell };

// ImageMagick 6's constants for a Q16 build without HDRI.
constexpr double kEpsilon = 1.0e-12;
constexpr double kQuantumRange = 65535.0;
constexpr double kQuantumScale = 1.0 / kQuantumRange;
constexpr double kPi = 3.14159265358979323846264338327950288;

double perceptibleReciprocal(double x) {
    const double sign = x < 0.0 ? -1.0 : 1.0;
    return sign * x >= kEpsilon ? 1.0 / x : sign / kEpsilon;
}

std::uint16_t clampToQuantum(double v) {
    if (v <= 0.0) return 0;
    if (v >= kQuantumRange) return 65535;
    return static_cast<std::uint16_t>(v + 0.5);
}

std::uint8_t quantumToByte(std::uint32_t q) {
    return static_cast<std::uint8_t>(((q + 128u) - ((q + 128u) >> 8)) >> 8);
}

double sinc(double x) {
    if (x == 0.0) return 1.0;
    const double px = kPi * x;
    return std::sin(px) / px;
}

// Three-lobed Lanczos: sinc windowed by a sinc stretched to the support.
double lanczosWeight(double x) {
    x = std::fabs(x);
    return sinc(x / 3.0) * sinc(x);
}

// Mitchell-Netravali cubic, B = C = 1/3, in ImageMagick's coefficient form.
double mitchellWeight(double x) {
    constexpr double B = 1.0 / 3.0, C = 1.0 / 3.0;
    constexpr double c0 = 1.0 - (1.0 / 3.0) * B, c1 = -3.0 + 2.0 * B + C, c2 = 2.0 - 1.5 * B - C;
    constexpr double c3 = (4.0 / 3.0) * B + 4.0 * C, c4 = -8.0 * C - 2.0 * B, c5 = B + 5.0 * C,
                     c6 = (-1.0 / 6.0) * B - C;
    x = std::fabs(x);
    if (x < 1.0) return c0 + x * (x * (c1 + x * c2));
    if (x < 2.0) return c3 + x * (c4 + x * (c5 + x * c6));
    return 0.0;
}

// Which source samples make one destination sample, and with what weight.
struct Contribution {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Contribution> contributions(int sourceLength, int length, double factor,
                                        ResizeKernel kernel) {
    double (*weight)(double) = kernel == ResizeKernel::Lanczos ? lanczosWeight : mitchellWeight;
    double scale = std::max(1.0 / factor + kEpsilon, 1.0);
    const double support = scale * (kernel == ResizeKernel::Lanczos ? 3.0 : 2.0);
    scale = perceptibleReciprocal(scale);

    std::vector<Contribution> all(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double bisect = (i + 0.5) / factor + kEpsilon;
        const long start = static_cast<long>(std::max(bisect - support + 0.5, 0.0));
        const long stop = static_cast<long>(std::min(bisect + support + 0.5, double(sourceLength)));
        Contribution& c = all[static_cast<std::size_t>(i)];
        c.first = static_cast<int>(start);
        double density = 0.0;
        for (long n = start; n < stop; ++n) {
            c.weights.push_back(weight(scale * (double(n) - bisect + 0.5)));
            density += c.weights.back();
        }
        if (density != 0.0 && density != 1.0) {
            density = perceptibleReciprocal(density);
            for (double& w : c.weights) w *= density;
        }
    }
    return all;
}

// Red and green, blue and opacity, side by side in pairs: each lane does
// the same IEEE multiply and add as a separate sum would, so results do not
// change, but two sums go through the vector unit at once.
typedef double Pair __attribute__((vector_size(16)));
typedef std::int32_t Int2 __attribute__((vector_size(8)));

struct Samples {
    Pair redGreen, blueOpacity;
};

// A source's samples as the weights see them: 16-bit quanta and opacity.
// An 8-bit picture is read as its 16-bit expansion (value * 257) on the
// fly, so the first pass needs no widened copy of the whole source.
inline Samples samples(const std::uint16_t* p) {
    return {__builtin_convertvector((Int2{p[0], p[1]}), Pair), __builtin_convertvector((Int2{p[2], p[3]}), Pair)};
}
inline Samples samples(const std::uint8_t* p) {
    return {__builtin_convertvector((Int2{p[0], p[1]} * 257), Pair),
            __builtin_convertvector((Int2{p[2], 255 - p[3]} * 257), Pair)};
}

// Rows of RGBA samples, of either size.
template <typename T>
struct Rows {
    const T* data;
    int width;
    int height;
    const T* row(int y) const { return data + static_cast<std::size_t>(y) * width * 4; }
};

Rows<std::uint8_t> rowsOf(const Picture& picture) { return {picture.rgba.data(), picture.width, picture.height}; }
Rows<std::uint16_t> rowsOf(const Plane& plane) { return {plane.values.get(), plane.width, plane.height}; }

// Running sums for one destination sample. Colour is weighted by opacity
// when the picture has alpha (gamma then normalises); opacity never is.
struct Sum {
    Pair redGreen = {0, 0}, blueOpacity = {0, 0};
    double gamma = 0;

    template <bool Matte>
    void add(const Samples& v, double w) {
        if (Matte) {
            const double a = w * kQuantumScale * (kQuantumRange - v.blueOpacity[1]);
            redGreen += Pair{a, a} * v.redGreen;
            blueOpacity += Pair{a, w} * v.blueOpacity;
            gamma += a;
        } else {
            redGreen += Pair{w, w} * v.redGreen;
            blueOpacity += Pair{w, w} * v.blueOpacity;
        }
    }
    template <bool Matte>
    void store(std::uint16_t* q) const {
        const double g = Matte ? perceptibleReciprocal(gamma) : 1.0;
        q[0] = clampToQuantum(g * redGreen[0]);
        q[1] = clampToQuantum(g * redGreen[1]);
        q[2] = clampToQuantum(g * blueOpacity[0]);
        q[3] = clampToQuantum(blueOpacity[1]);
    }
};

// A source row as the weights read it, converted once rather than at every
// tap that reads it.
template <typename T>
void convertRow(const T* p, int width, Samples* out) {
    for (int x = 0; x < width; ++x, p += 4) out[x] = samples(p);
}

// The rows of one output plane; `Matte` fixed at compile time keeps the
// branch out of the innermost loop (the arithmetic is the same either way).
template <bool Matte, typename T>
void horizontalRows(const Rows<T>& source, const std::vector<Contribution>& columns, Plane& out) {
    std::vector<Samples> line(static_cast<std::size_t>(source.width));
    for (int y = 0; y < source.height; ++y) {
        convertRow(source.row(y), source.width, line.data());
        std::uint16_t* q = out.at(0, y);
        for (const Contribution& c : columns) {
            Sum sum;
            const Samples* p = line.data() + c.first;
            for (const double w : c.weights) sum.add<Matte>(*p++, w);
            sum.store<Matte>(q);
            q += 4;
        }
    }
}

template <typename T>
Plane horizontalPass(const Rows<T>& source, int width, double factor, ResizeKernel kernel, bool matte) {
    const std::vector<Contribution> columns = contributions(source.width, width, factor, kernel);
    Plane out(width, source.height);
    if (matte) horizontalRows<true>(source, columns, out);
    else horizontalRows<false>(source, columns, out);
    return out;
}

// Converted source rows for the vertical pass. Consecutive destination rows
// share most of their source rows, so the rows of one window are kept, as
// long as the window is small; a steep shrink of a huge picture converts
// each row as it is read instead.
template <typename T>
class ConvertedRows {
public:
    ConvertedRows(const Rows<T>& source, std::size_t window) : source_(source) {
        constexpr std::size_t kMaxBytes = 8u << 20;
        const std::size_t width = static_cast<std::size_t>(source.width);
        slots_ = window * width * sizeof(Samples) <= kMaxBytes ? window : 1;
        rows_.resize(slots_ * width);
        held_.assign(slots_, -1);
    }
    const Samples* row(int y) {
        const std::size_t slot = static_cast<std::size_t>(y) % slots_;
        Samples* out = rows_.data() + slot * static_cast<std::size_t>(source_.width);
        if (held_[slot] != y) {
            convertRow(source_.row(y), source_.width, out);
            held_[slot] = y;
        }
        return out;
    }

private:
    Rows<T> source_;
    std::size_t slots_ = 1;
    std::vector<Samples> rows_;
    std::vector<int> held_;
};

// Row by row, so the source is read in order; each destination sample still
// adds its taps first to last.
template <bool Matte, typename T>
void verticalRows(const Rows<T>& source, const std::vector<Contribution>& rows, Plane& out) {
    std::size_t window = 1;
    for (const Contribution& c : rows) window = std::max(window, c.weights.size());
    ConvertedRows<T> converted(source, window);
    std::vector<Sum> sums(static_cast<std::size_t>(source.width));
    for (int y = 0; y < out.height; ++y) {
        const Contribution& c = rows[static_cast<std::size_t>(y)];
        std::fill(sums.begin(), sums.end(), Sum{});
        for (std::size_t i = 0; i < c.weights.size(); ++i) {
            const Samples* row = converted.row(c.first + static_cast<int>(i));
            const double w = c.weights[i];
            for (Sum& sum : sums) sum.add<Matte>(*row++, w);
        }
        std::uint16_t* q = out.at(0, y);
        for (const Sum& sum : sums) {
            sum.store<Matte>(q);
            q += 4;
        }
    }
}

template <typename T>
Plane verticalPass(const Rows<T>& source, int height, double factor, ResizeKernel kernel, bool matte) {
    const std::vector<Contribution> rows = contributions(source.height, height, factor, kernel);
    Plane out(source.width, height);
    if (matte) verticalRows<true>(source, rows, out);
    else verticalRows<false>(source, rows, out);
    return out;
}

Picture toPicture(const Plane& plane, bool matte) {
    Picture picture(plane.width, plane.height);
    const std::uint16_t* v = plane.values.get();
    for (std::size_t i = 0; i < plane.size(); i += 4) {
        picture.rgba[i] = quantumToByte(v[i]);
        picture.rgba[i + 1] = quantumToByte(v[i + 1]);
        picture.rgba[i + 2] = quantumToByte(v[i + 2]);
        picture.rgba[i + 3] = matte ? quantumToByte(65535u - v[i + 3]) : 255;
    }
    picture.matte = matte;
    return picture;
}

// One opaque colour everywhere: its value, or nothing.
std::optional<std::uint32_t> oneOpaqueColour(const Picture& picture) {
    if (picture.rgba.empty() || picture.rgba[3] != 255) return std::nullopt;
    std::uint32_t first;
    std::memcpy(&first, picture.rgba.data(), 4);
    for (std::size_t i = 4; i < picture.rgba.size(); i += 4)
        if (std::memcmp(&first, &picture.rgba[i], 4) != 0) return std::nullopt;
    return first;
}

// Whether every destination sample's weights sum to one so closely that a
// picture of one colour comes out as exactly that colour: the sums then
// stay within far less than the half level at which a 16-bit value rounds.
bool keepsOneColour(const std::vector<Contribution>& all) {
    for (const Contribution& c : all) {
        double sum = 0.0;
        for (const double w : c.weights) sum += w;
        if (c.weights.empty() || std::fabs(sum - 1.0) > 1e-9) return false;
    }
    return true;
}

}  // namespace

Picture resizePicture(const Picture& picture, int width, int height, const FileIdentity& source) {
    if (width == picture.width && height == picture.height) return picture;
    const bool matte = picture.hasAlpha();
    const double xFactor = double(width) / picture.width;
    const double yFactor = double(height) / picture.height;
    const ResizeKernel kernel =
        picture.palette || matte || xFactor * yFactor > 1.0 ? ResizeKernel::Mitchell : ResizeKernel::Lanczos;
    // A template of one colour (white, black) resizes to that colour: no
    // need to weigh a single sample. The plain path weighs them all.
    if (!plainPath())
        if (const std::optional<std::uint32_t> colour = oneOpaqueColour(picture))
            if (keepsOneColour(contributions(picture.width, width, xFactor, kernel)) &&
                keepsOneColour(contributions(picture.height, height, yFactor, kernel))) {
                Picture out(width, height);
                for (std::size_t i = 0; i < out.rgba.size(); i += 4) std::memcpy(&out.rgba[i], &*colour, 4);
                return out;
            }
    // The axis that shrinks the most is filtered second, as ImageMagick does.
    const bool widthFirst = xFactor > yFactor;
    const FirstPassKey key{source, widthFirst, widthFirst ? width : height, static_cast<int>(kernel), matte};
    const bool remember = source.known() && !plainPath();
    std::shared_ptr<const Plane> first = remember ? resizeMemo().find(key) : nullptr;
    if (!first) {
        const Rows<std::uint8_t> source = rowsOf(picture);
        first = std::make_shared<const Plane>(widthFirst ? horizontalPass(source, width, xFactor, kernel, matte)
                                                         : verticalPass(source, height, yFactor, kernel, matte));
        if (remember) resizeMemo().insert(key, first, first->size() * sizeof(std::uint16_t));
    }
    if (widthFirst) return toPicture(verticalPass(rowsOf(*first), height, yFactor, kernel, matte), matte);
    return toPicture(horizontalPass(rowsOf(*first), width, xFactor, kernel, matte), matte);
}

}  // namespace pivra::imagelib
