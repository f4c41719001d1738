#pragma once
// Every limit the two image command libraries hold a file or a command to,
// in one place. A picture a user picks may be hostile or damaged; these keep
// one command from taking the host process's memory or minutes of its time.
#include <cstddef>

namespace pivra::imagelib {

// Input size: a user's photo is a few MB, but the largest picture read (100
// megapixels, below) stored uncompressed is 300 MB as RGB and 400 MB with
// alpha. The file is held whole while it is read, so this bounds that part of
// the memory; a larger file is refused before it is read.
constexpr std::size_t kMaxInputBytes = 512u * 1024 * 1024;

// Sides: GIF cannot hold more than 65535, no face needs more than 16000.
constexpr int kMaxSide = 16000;

// Pixels: of any one picture decoded or produced (10000 x 10000). A picture
// larger than a whole decode may hold (kMaxDecodeBytes) is still read when it
// is to be resized, shrinking while it is read (JPEG, PNG, TIFF), or decoded
// whole under a budget of its own where its format leaves no other way (HEIF).
constexpr long long kMaxPixels = 100LL * 1000 * 1000;

// Bytes: the pixel memory one decode holds at once (the decoder's own store
// plus our RGBA copy), checked from the header before anything is allocated.
// Below the pixel limit's 400 MB of RGBA, so a header claiming the largest
// legal picture cannot take more than this.
constexpr std::size_t kMaxDecodeBytes = 256u * 1024 * 1024;

// ImageMagick keeps each pixel of its cache in 16-bit channels, plus a
// colour-table index: what one picture it decodes costs beside our 4 bytes.
constexpr std::size_t kMagickBytesPerPixel = 8 + 2;
constexpr std::size_t kMagickDecodeBytesPerPixel = kMagickBytesPerPixel + 4;

// libwebp's own store beside our RGBA: a lossless picture is decoded whole
// before it is handed over.
constexpr std::size_t kWebpStillBytesPerPixel = 4 + 4;

// HEIF and AVIF are decoded whole (their tiles and transforms are libheif's):
// enough for the largest picture read, 100 megapixels at 8 bits, with the
// decoder's own planes and its interleaved copy.
constexpr std::size_t kMaxHeifDecodeBytes = 1024u * 1024 * 1024;

// Frames: the animation joins 50; a pattern matching more than this is a mistake.
constexpr std::size_t kMaxFrames = 1000;

// All frames of one animation together, in pixels.
constexpr long long kMaxAnimationPixels = 4 * kMaxPixels;

}  // namespace pivra::imagelib
