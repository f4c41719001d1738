#pragma once
// A coin as a solid: two discs of radius 1 at z = +h (the head) and z = -h
// (the tail) joined by a cylinder, turned about the vertical axis and seen
// by a camera on the z axis, orthographic or with a mild perspective.
// World space: x right, y up, z toward the viewer; units of the radius.

namespace pivra {

struct CoinShape {
    double halfThickness = 0;  // h, in radii: a thickness of t% of the diameter is t / 100
    bool perspective = false;
};

// The camera of the mild perspective stands this many diameters from the
// coin's centre: the nearer edge of a face at 60 degrees comes out about 9%
// taller than the farther one, at every size.
inline constexpr double kCameraDiameters = 5.0;

enum class CoinPart { None, Head, Tail, Rim };

struct CoinHit {
    CoinPart part = CoinPart::None;
    // The point hit, in the coin's own space (before the turn).
    double x = 0, y = 0, z = 0;
};

// The coin's turn about the vertical axis: 0 shows the head, a quarter turn
// turns it to the right, its edge toward the viewer.
struct CoinTurn {
    double cos = 1, sin = 0;
    explicit CoinTurn(double angle);
    // Coin space to world space, and back.
    void toWorld(const double c[3], double w[3]) const;
    void toCoin(const double w[3], double c[3]) const;
};

// Where the ray through the screen point (sx, sy) meets the turned coin.
// Screen units are radii, the coin's centre at the origin, y up.
CoinHit TraceCoin(const CoinShape& shape, const CoinTurn& turn, double sx, double sy);

// The largest half-extent, in radii, that the coin reaches on screen over a
// whole turn, horizontally or vertically: the frame must be this many
// radii wide on each side of the centre. 1 for a flat coin without perspective.
double CoinReach(const CoinShape& shape);

// The screen box, in radii, that holds the coin at this angle.
struct ScreenBox {
    double left, right, bottom, top;
};
ScreenBox CoinBox(const CoinShape& shape, const CoinTurn& turn);

// The unit vector from the coin point (x, y, z, world space) toward the
// camera; for the orthographic camera the camera of the perspective is used,
// so that light still reflects differently across a face.
void ViewDirection(double x, double y, double z, double v[3]);

// The camera's distance from the coin's centre, in radii.
inline constexpr double CameraDistance() { return 2.0 * kCameraDiameters; }

}  // namespace pivra
