#include "render/Yuv420.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace pivra {

namespace {

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0) + 0.5); }

double Luma(const std::uint8_t* p) { return 16 + (65.481 * p[0] + 128.553 * p[1] + 24.966 * p[2]) / 255; }
double Cb(double r, double g, double b) { return 128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255; }
double Cr(double r, double g, double b) { return 128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255; }

// The player's way back: RGB = kY (Y - 16) + U's column (U - 128) + V's column (V - 128).
constexpr double kY = 255.0 / 219;
constexpr std::array<double, 3> kU{0, -0.391762, 2.017232}, kV{1.596027, -0.812968, 0};

// Each chroma sample the mean of its pixels weighted by their alpha, so the
// colour of clear pixels does not bleed into the coin's rim; a block with
// nothing showing keeps its plain mean.
void BlockMeanChroma(const imagelib::Picture& frame, std::vector<double>& u, std::vector<double>& v) {
    const int w = frame.width, h = frame.height, cw = (w + 1) / 2, ch = (h + 1) / 2;
    u.assign(static_cast<size_t>(cw) * ch, 128), v.assign(u.size(), 128);
    for (int cy = 0; cy < ch; ++cy)
        for (int cx = 0; cx < cw; ++cx) {
            double r = 0, g = 0, b = 0, weight = 0, plainR = 0, plainG = 0, plainB = 0;
            int n = 0;
            for (int y = 2 * cy; y < std::min(2 * cy + 2, h); ++y)
                for (int x = 2 * cx; x < std::min(2 * cx + 2, w); ++x, ++n) {
                    const std::uint8_t* p = frame.pixel(x, y);
                    r += p[0] * p[3], g += p[1] * p[3], b += p[2] * p[3], weight += p[3];
                    plainR += p[0], plainG += p[1], plainB += p[2];
                }
            if (weight > 0) r /= weight, g /= weight, b /= weight;
            else r = plainR / n, g = plainG / n, b = plainB / n;
            u[static_cast<size_t>(cy) * cw + cx] = Cb(r, g, b);
            v[static_cast<size_t>(cy) * cw + cx] = Cr(r, g, b);
        }
}

// How a player spreads each chroma sample over the pixels. Bilinearly, each
// sample at the centre of its 2 x 2 block: pixel x takes 3/4 of sample x / 2
// and 1/4 of the one on its other side, the edge samples standing in for
// those past the edge. Or nearest: each sample over its own block alone.
// Along one side, sample c reaches pixels 2c - 1 to 2c + 2, by share[c][0..3].
struct Spread {
    int w, h, cw, ch;
    std::vector<std::array<float, 4>> shareX, shareY;
    Spread(int width, int height, bool nearest) : w(width), h(height), cw((w + 1) / 2), ch((h + 1) / 2) {
        const auto side = [nearest](int n, std::vector<std::array<float, 4>>& share) {
            const int samples = (n + 1) / 2;
            share.assign(static_cast<size_t>(samples), {0, 0, 0, 0});
            for (int i = 0; i < n; ++i) {
                const int near = i / 2, far = nearest ? near : std::clamp(i % 2 == 0 ? near - 1 : near + 1, 0, samples - 1);
                share[static_cast<size_t>(near)][static_cast<size_t>(i - 2 * near + 1)] += nearest ? 1.0f : 0.75f;
                if (!nearest) share[static_cast<size_t>(far)][static_cast<size_t>(i - 2 * far + 1)] += 0.25f;
            }
        };
        side(w, shareX), side(h, shareY);
    }
    // The plane of cw x ch samples spread over w x h pixels.
    std::vector<float> over(const std::vector<double>& plane) const {
        std::vector<float> out(static_cast<size_t>(w) * h, 0);
        for (int cy = 0; cy < ch; ++cy)
            for (int cx = 0; cx < cw; ++cx) addSample(float(plane[static_cast<size_t>(cy) * cw + cx]), cx, cy, out);
        return out;
    }
    void addSample(float value, int cx, int cy, std::vector<float>& out) const {
        for (int j = 0; j < 4; ++j) {
            const int y = 2 * cy - 1 + j;
            if (y < 0 || y >= h || shareY[cy][j] == 0) continue;
            for (int i = 0; i < 4; ++i) {
                const int x = 2 * cx - 1 + i;
                if (x >= 0 && x < w) out[static_cast<size_t>(y) * w + x] += value * shareY[cy][j] * shareX[cx][i];
            }
        }
    }
};

// Least squares, each pixel's error over any page being its alpha times its
// colour's: the luma of each pixel follows from the chroma it is shown
// with (it carries the pixel's grey level, the mean of R, G and B), so the
// chroma samples are fitted in turn (Gauss-Seidel) to what is left, the part
// of each pixel's colour off the grey axis, over every way of spreading given.
constexpr int kSweeps = 1;  // a second gains nothing measurable

struct OffGrey {
    std::array<double, 3> u, v;
    double uu, uv, vv;
    OffGrey() {
        const auto off = [](const std::array<double, 3>& c) {
            const double mean = (c[0] + c[1] + c[2]) / 3;
            return std::array<double, 3>{c[0] - mean, c[1] - mean, c[2] - mean};
        };
        u = off(kU), v = off(kV);
        uu = dot(u, u), uv = dot(u, v), vv = dot(v, v);
    }
    static double dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    }
};

void FitChroma(const imagelib::Picture& frame, const std::vector<Spread>& spreads, std::vector<double>& u,
               std::vector<double>& v) {
    const int w = frame.width, h = frame.height, cw = (w + 1) / 2, ch = (h + 1) / 2;
    static const OffGrey off;
    // Per pixel: its weight, and its colour off grey along U's and V's columns, weighed.
    std::vector<float> weight(frame.pixelCount()), tu(weight.size()), tv(weight.size());
    std::vector<std::uint8_t> shows(static_cast<size_t>(cw) * ch, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = frame.pixel(x, y);
            const double mean = (p[0] + p[1] + p[2]) / 3.0;
            const std::array<double, 3> t{p[0] - mean, p[1] - mean, p[2] - mean};
            const size_t i = static_cast<size_t>(y) * w + x;
            weight[i] = float(p[3] * p[3]) / (255.0f * 255.0f);
            tu[i] = float(weight[i] * OffGrey::dot(off.u, t)), tv[i] = float(weight[i] * OffGrey::dot(off.v, t));
            // A sample is fitted only if some pixel it reaches shows.
            if (p[3] != 0)
                for (int cy = std::max(0, (y - 2) / 2); cy <= std::min(ch - 1, (y + 1) / 2); ++cy)
                    for (int cx = std::max(0, (x - 2) / 2); cx <= std::min(cw - 1, (x + 1) / 2); ++cx)
                        shows[static_cast<size_t>(cy) * cw + cx] = 1;
        }
    std::vector<std::vector<float>> spreadU, spreadV;
    for (const Spread& s : spreads) spreadU.push_back(s.over(u)), spreadV.push_back(s.over(v));
    for (int sweep = 0; sweep < kSweeps; ++sweep)
        for (int cy = 0; cy < ch; ++cy)
            for (int cx = 0; cx < cw; ++cx) {
                const size_t c = static_cast<size_t>(cy) * cw + cx;
                if (!shows[c]) continue;  // nothing of it shows: it keeps its mean
                double gu = 0, gv = 0, s = 0;
                for (size_t n = 0; n < spreads.size(); ++n) {
                    const Spread& spread = spreads[n];
                    const std::vector<float>&pu = spreadU[n], &pv = spreadV[n];
                    for (int j = 0; j < 4; ++j) {
                        const int y = 2 * cy - 1 + j;
                        const float ky = spread.shareY[static_cast<size_t>(cy)][static_cast<size_t>(j)];
                        if (y < 0 || y >= h || ky == 0) continue;
                        for (int i = 0; i < 4; ++i) {
                            const int x = 2 * cx - 1 + i;
                            const float k = ky * spread.shareX[static_cast<size_t>(cx)][static_cast<size_t>(i)];
                            if (x < 0 || x >= w || k == 0) continue;
                            const size_t p = static_cast<size_t>(y) * w + x;
                            const double a = weight[p], eu = pu[p] - 128, ev = pv[p] - 128;
                            gu += k * (tu[p] - a * (off.uu * eu + off.uv * ev));
                            gv += k * (tv[p] - a * (off.uv * eu + off.vv * ev));
                            s += k * k * a;
                        }
                    }
                }
                if (s <= 0) continue;
                // Solve (s M) d = g for the step, M the 2 x 2 of the columns' products.
                const double a = s * off.uu, b = s * off.uv, d = s * off.vv, det = a * d - b * b;
                const double oldU = u[c], oldV = v[c];
                u[c] = std::clamp(oldU + (d * gu - b * gv) / det, 0.0, 255.0);
                v[c] = std::clamp(oldV + (a * gv - b * gu) / det, 0.0, 255.0);
                for (size_t n = 0; n < spreads.size(); ++n) {
                    spreads[n].addSample(float(u[c] - oldU), cx, cy, spreadU[n]);
                    spreads[n].addSample(float(v[c] - oldV), cx, cy, spreadV[n]);
                }
            }
}

}  // namespace

void RgbaToYuv420(const imagelib::Picture& frame, const Yuv420Planes& out, ChromaFit fit) {
    const int w = frame.width, h = frame.height, cw = (w + 1) / 2, ch = (h + 1) / 2;
    std::vector<double> u, v;
    BlockMeanChroma(frame, u, v);
    std::vector<Spread> spreads;
    if (fit != ChromaFit::BlockMean && fit != ChromaFit::ForNearest) spreads.emplace_back(w, h, false);
    if (fit != ChromaFit::BlockMean && fit != ChromaFit::ForBilinear) spreads.emplace_back(w, h, true);
    if (fit != ChromaFit::BlockMean && fit != ChromaFit::FittedLuma) FitChroma(frame, spreads, u, v);
    // Each sample's share of the grey level, which the luma then need not carry.
    const double greyU = (kU[0] + kU[1] + kU[2]) / 3, greyV = (kV[0] + kV[1] + kV[2]) / 3;
    std::vector<double> greyOfChroma(u.size());
    for (int cy = 0; cy < ch; ++cy)
        for (int cx = 0; cx < cw; ++cx) {
            const size_t i = static_cast<size_t>(cy) * cw + cx;
            const std::uint8_t cu = out.u[cy * out.uvStride + cx] = Byte(u[i]);
            const std::uint8_t cv = out.v[cy * out.uvStride + cx] = Byte(v[i]);
            greyOfChroma[i] = greyU * (cu - 128) + greyV * (cv - 128);
        }
    // Each pixel's luma: the grey level it needs beside the chroma it is
    // shown with, the mean over the ways it may be spread.
    std::vector<float> grey(frame.pixelCount(), 0);
    for (const Spread& spread : spreads) {
        const std::vector<float> shown = spread.over(greyOfChroma);
        for (size_t i = 0; i < grey.size(); ++i) grey[i] += shown[i] / float(spreads.size());
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = frame.pixel(x, y);
            const double luma =
                spreads.empty() ? Luma(p) : 16 + ((p[0] + p[1] + p[2]) / 3.0 - grey[static_cast<size_t>(y) * w + x]) / kY;
            out.y[y * out.yStride + x] = Byte(luma);
            out.alpha[y * out.alphaStride + x] = p[3];
        }
}

}  // namespace pivra
