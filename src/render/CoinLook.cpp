#include "CoinLook.h"

#include <algorithm>
#include <cmath>

#include "Resizer.h"

namespace pivra {
namespace {

constexpr double kPi = 3.14159265358979323846;

CoinShape ShapeOf(const CoinLookOptions& o) {
    return CoinShape{std::clamp(o.thickness, 0, 20) / 100.0, o.perspective};
}

imagelib::Picture FaceAt(const imagelib::Picture& picture, int side) {
    if (picture.width == side && picture.height == side) return picture;
    return imagelib::resizePicture(picture, side, side);
}

// The average colour of a face's outer ring (from 85% to 98% of the radius),
// where a real coin's face meets its edge.
void AddRing(const imagelib::Picture& face, double sum[4]) {
    const double r = face.width / 2.0;
    for (int y = 0; y < face.height; ++y)
        for (int x = 0; x < face.width; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
            if (d < 0.85 || d > 0.98) continue;
            const std::uint8_t* p = face.pixel(x, y);
            const double a = p[3] / 255.0;
            for (int c = 0; c < 3; ++c) sum[c] += p[c] * a;
            sum[3] += a;
        }
}

}  // namespace

double CoinDiameter(const CoinLookOptions& options) { return options.side / CoinReach(ShapeOf(options)); }

int CoinFaceSide(const CoinLookOptions& options) {
    return std::max(1, static_cast<int>(std::lround(CoinDiameter(options))));
}

struct CoinLook::Sample {
    float r = 0, g = 0, b = 0, a = 0;  // premultiplied
    CoinPart part = CoinPart::None;
};

CoinLook::CoinLook(const imagelib::Picture& head, const imagelib::Picture& tail, const CoinLookOptions& options)
    : CoinLook(options, FaceAt(head, CoinFaceSide(options)), FaceAt(tail, CoinFaceSide(options))) {}

CoinLook::CoinLook(const CoinLookOptions& options, const imagelib::Picture& head, const imagelib::Picture& tail)
    : options_(options),
      shape_(ShapeOf(options)),
      light_{options.light},
      diameter_(CoinDiameter(options)),
      pixel_(2.0 / diameter_),
      head_(head),
      tail_(tail) {
    if (options.rim) {
        rim_[0] = options.rim->r / 255.0f, rim_[1] = options.rim->g / 255.0f, rim_[2] = options.rim->b / 255.0f;
    } else {
        double sum[4] = {0, 0, 0, 0};
        AddRing(head, sum);
        AddRing(tail, sum);
        for (int c = 0; c < 3; ++c) rim_[c] = sum[3] > 0 ? static_cast<float>(sum[c] / sum[3] / 255.0) : 0.5f;
    }
}

double CoinLook::angle(int k) const { return 2 * kPi * k / options_.frames; }

CoinLook::Sample CoinLook::shadeAt(const CoinTurn& turn, double sx, double sy) const {
    const CoinHit hit = TraceCoin(shape_, turn, sx, sy);
    Sample s;
    s.part = hit.part;
    if (hit.part == CoinPart::None) return s;
    // The outward normal in coin space, then turned into the world.
    double nc[3] = {0, 0, 0};
    if (hit.part == CoinPart::Head) nc[2] = 1;
    else if (hit.part == CoinPart::Tail) nc[2] = -1;
    else nc[0] = hit.x, nc[1] = hit.y;
    const double c[3] = {hit.x, hit.y, hit.z};
    double n[3], w[3];
    turn.toWorld(nc, n);
    turn.toWorld(c, w);
    double v[3];
    ViewDirection(w[0], w[1], w[2], v);
    float gain, highlight;
    light_.shade(n, v, gain, highlight);

    Rgba colour;
    if (hit.part == CoinPart::Rim) {
        colour = {rim_[0], rim_[1], rim_[2], 1.0f};
    } else {
        // Face pixels across the coin: the tail is laid mirrored in coin
        // space, so that it reads the right way round when it faces the viewer.
        const FaceSampler& face = hit.part == CoinPart::Head ? head_ : tail_;
        const double r = face.side() / 2.0;
        const double u = (hit.part == CoinPart::Head ? hit.x : -hit.x) * r + r;
        const double vv = r - hit.y * r;
        // One screen pixel spans 1 / |cos| of the face across, as the face turns.
        const double squeeze = pixel_ * r / std::max(std::fabs(n[2]), 1e-3);
        colour = face.sample(u, vv, squeeze);
    }
    s.a = colour.a;
    s.r = std::min(colour.r * gain + highlight * colour.a, colour.a);
    s.g = std::min(colour.g * gain + highlight * colour.a, colour.a);
    s.b = std::min(colour.b * gain + highlight * colour.a, colour.a);
    return s;
}

imagelib::Picture CoinLook::frame(int k) const {
    const int side = options_.side;
    imagelib::Picture out(side, side);
    const CoinTurn turn(angle(k));
    // Pixel edges in radii from the centre; x right, y up.
    const auto sx = [&](double px) { return (px - side / 2.0) * pixel_; };
    const auto sy = [&](double py) { return (side / 2.0 - py) * pixel_; };
    const ScreenBox box = CoinBox(shape_, turn);
    const int x0 = std::max(0, static_cast<int>(std::floor(box.left / pixel_ + side / 2.0)) - 1);
    const int x1 = std::min(side, static_cast<int>(std::ceil(box.right / pixel_ + side / 2.0)) + 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(side / 2.0 - box.top / pixel_)) - 1);
    const int y1 = std::min(side, static_cast<int>(std::ceil(side / 2.0 - box.bottom / pixel_)) + 1);
    if (x0 >= x1 || y0 >= y1) return out;
    // A coin a few pixels wide is sampled finely everywhere; otherwise the
    // parts at a pixel's corners and centre tell whether it needs more.
    const bool thin = x1 - x0 < 8;
    const int cols = x1 - x0 + 1;
    std::vector<CoinPart> above(static_cast<size_t>(cols)), below(static_cast<size_t>(cols));
    for (int x = x0; x <= x1; ++x) above[static_cast<size_t>(x - x0)] = TraceCoin(shape_, turn, sx(x), sy(y0)).part;
    constexpr int kFine = 4;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x <= x1; ++x)
            below[static_cast<size_t>(x - x0)] = TraceCoin(shape_, turn, sx(x), sy(y + 1)).part;
        for (int x = x0; x < x1; ++x) {
            const size_t i = static_cast<size_t>(x - x0);
            Sample centre = shadeAt(turn, sx(x + 0.5), sy(y + 0.5));
            const bool even = !thin && above[i] == centre.part && above[i + 1] == centre.part &&
                              below[i] == centre.part && below[i + 1] == centre.part;
            float r = centre.r, g = centre.g, b = centre.b, a = centre.a;
            if (!even) {
                r = g = b = a = 0;
                for (int j = 0; j < kFine; ++j)
                    for (int q = 0; q < kFine; ++q) {
                        const Sample s = shadeAt(turn, sx(x + (q + 0.5) / kFine), sy(y + (j + 0.5) / kFine));
                        r += s.r, g += s.g, b += s.b, a += s.a;
                    }
                const float n = kFine * kFine;
                r /= n, g /= n, b /= n, a /= n;
            }
            if (a <= 0) continue;
            std::uint8_t* p = out.pixel(x, y);
            const auto byte = [](float v) { return static_cast<std::uint8_t>(std::min(1.0f, v) * 255 + 0.5f); };
            p[0] = byte(r / a), p[1] = byte(g / a), p[2] = byte(b / a), p[3] = byte(a);
        }
        std::swap(above, below);
    }
    return out;
}

}  // namespace pivra
