#pragma once
// RGBA frames as studio-range BT.601 4:2:0, the colour a VP9 player reads,
// with the alpha as a plane of its own.
#include <cstdint>

#include "Picture.h"

namespace pivra {

struct Yuv420Planes {
    std::uint8_t* y;
    int yStride;
    std::uint8_t* u;
    std::uint8_t* v;
    int uvStride;  // U and V alike, (width + 1) / 2 by (height + 1) / 2
    std::uint8_t* alpha;
    int alphaStride;
};

enum class ChromaFit {
    // Each chroma sample the alpha-weighted mean of its 2 x 2 pixels, and
    // each luma the pixel's own: what most converters do.
    BlockMean,
    // The same chroma, and each luma the grey level its pixel needs beside
    // the chroma as players spread it, bilinearly (browsers) or each sample
    // over its own 2 x 2 pixels (libvpx's and libyuv's conversions): the
    // mean of the two.
    FittedLuma,
    // Luma and chroma chosen together, each pixel weighed by how much of it
    // shows, so that what a player shows is as close to the frame as it can
    // be: for players that spread chroma bilinearly, for those that spread
    // it nearest, or for both at once.
    ForBilinear,
    ForNearest,
    ForBoth,
};

void RgbaToYuv420(const imagelib::Picture& frame, const Yuv420Planes& out, ChromaFit fit = ChromaFit::FittedLuma);

}  // namespace pivra
