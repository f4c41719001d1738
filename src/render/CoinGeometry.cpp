#include "CoinGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pivra {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The ray from the camera through a screen point, in world space. The
// perspective's screen is the plane z = 0 through the coin's centre, so a
// point there keeps its size on screen whatever the camera.
void ScreenRay(const CoinShape& shape, double sx, double sy, double o[3], double d[3]) {
    const double L = CameraDistance();
    o[0] = shape.perspective ? 0 : sx;
    o[1] = shape.perspective ? 0 : sy;
    o[2] = L;
    d[0] = shape.perspective ? sx : 0;
    d[1] = shape.perspective ? sy : 0;
    d[2] = -L;
}

// The screen point of a world point.
void Project(const CoinShape& shape, const double w[3], double& sx, double& sy) {
    const double scale = shape.perspective ? CameraDistance() / (CameraDistance() - w[2]) : 1.0;
    sx = w[0] * scale;
    sy = w[1] * scale;
}

}  // namespace

CoinTurn::CoinTurn(double angle) : cos(std::cos(angle)), sin(std::sin(angle)) {}

void CoinTurn::toWorld(const double c[3], double w[3]) const {
    w[0] = c[0] * cos + c[2] * sin;
    w[1] = c[1];
    w[2] = -c[0] * sin + c[2] * cos;
}

void CoinTurn::toCoin(const double w[3], double c[3]) const {
    c[0] = w[0] * cos - w[2] * sin;
    c[1] = w[1];
    c[2] = w[0] * sin + w[2] * cos;
}

CoinHit TraceCoin(const CoinShape& shape, const CoinTurn& turn, double sx, double sy) {
    double ow[3], dw[3], o[3], d[3];
    ScreenRay(shape, sx, sy, ow, dw);
    turn.toCoin(ow, o);
    turn.toCoin(dw, d);
    const double h = shape.halfThickness;
    CoinHit best;
    // The face whose side the camera is on: a ray going down z meets the
    // head's disc at z = +h, one going up z the tail's at z = -h.
    if (d[2] != 0) {
        const double z = d[2] < 0 ? h : -h;
        const double t = (z - o[2]) / d[2];
        const double x = o[0] + t * d[0], y = o[1] + t * d[1];
        if (t > 0 && x * x + y * y <= 1.0) {
            best = {d[2] < 0 ? CoinPart::Head : CoinPart::Tail, x, y, z};
        }
    }
    // The cylinder x^2 + y^2 = 1, entered from outside. A ray that enters
    // the solid through a face cannot have met the rim before: the coin is convex.
    if (best.part != CoinPart::None) return best;
    const double a = d[0] * d[0] + d[1] * d[1];
    if (h > 0 && a > 0) {
        const double b = o[0] * d[0] + o[1] * d[1], c = o[0] * o[0] + o[1] * o[1] - 1.0;
        const double disc = b * b - a * c;
        if (disc >= 0) {
            const double t = (-b - std::sqrt(disc)) / a;
            const double z = o[2] + t * d[2];
            if (t > 0 && std::fabs(z) <= h)
                best = {CoinPart::Rim, o[0] + t * d[0], o[1] + t * d[1], z};
        }
    }
    return best;
}

ScreenBox CoinBox(const CoinShape& shape, const CoinTurn& turn) {
    // The coin is the hull of its two rim circles; their points bound it.
    constexpr int kSteps = 256;
    ScreenBox box{0, 0, 0, 0};
    for (int side = -1; side <= 1; side += 2) {
        for (int i = 0; i < kSteps; ++i) {
            const double phi = 2 * kPi * i / kSteps;
            const double c[3] = {std::cos(phi), std::sin(phi), side * shape.halfThickness};
            double w[3], sx, sy;
            turn.toWorld(c, w);
            Project(shape, w, sx, sy);
            box.left = std::min(box.left, sx), box.right = std::max(box.right, sx);
            box.bottom = std::min(box.bottom, sy), box.top = std::max(box.top, sy);
        }
    }
    return box;
}

double CoinReach(const CoinShape& shape) {
    if (!shape.perspective) return std::max(1.0, std::hypot(1.0, shape.halfThickness));
    // Sampled finely over a quarter turn (the rest mirrors it), a little
    // margin for the angles between the samples.
    double reach = 1.0;
    constexpr int kSteps = 180;
    for (int i = 0; i <= kSteps; ++i) {
        const ScreenBox b = CoinBox(shape, CoinTurn(kPi / 2 * i / kSteps));
        reach = std::max({reach, -b.left, b.right, -b.bottom, b.top});
    }
    return reach * 1.002;
}

void ViewDirection(double x, double y, double z, double v[3]) {
    v[0] = -x, v[1] = -y, v[2] = CameraDistance() - z;
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i) v[i] /= n;
}

}  // namespace pivra
