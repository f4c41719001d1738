#pragma once
// Phone photos are far larger than a coin face. libjpeg can decode at 1/2,
// 1/4 or 1/8 of the size for a fraction of the time and memory; the resize
// that follows then starts from that.
#include <cstdint>
#include <optional>
#include <vector>

namespace pivra::imagelib {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// For JPEG bytes to be resized to target: the size to ask the decoder for
// ("at least this"), at the smallest scale that still leaves at least twice
// the target each way. nullopt when no scale does (the picture is decoded
// whole, as it always was) or the bytes are not a JPEG we can size.
std::optional<PixelSize> reducedJpegSize(const std::vector<std::uint8_t>& bytes, PixelSize target);

// The scale the decoder takes for a picture of `full` size; 1 for none.
int jpegScaleDenominator(PixelSize full, PixelSize target);

}  // namespace pivra::imagelib
