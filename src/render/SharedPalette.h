#pragma once
// One palette with partial alpha for every frame of an animation (an
// indexed APNG's PLTE and tRNS): median cut over the colours of all frames
// in premultiplied RGBA, then a few rounds of k-means, each colour's error
// measured as it shows over a black page plus over a white one.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "Picture.h"

namespace pivra {

struct RgbaEntry {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

class SharedPalette {
public:
    // At most `colours` entries (2 to 256) for the frames. Entry 0 is the
    // clear one when any pixel is clear; entries with partial alpha come
    // before the opaque ones, so that tRNS ends early.
    SharedPalette(const std::vector<const imagelib::Picture*>& frames, int colours);

    const std::vector<RgbaEntry>& entries() const { return entries_; }
    // Entries before this one have alpha below 255: tRNS's length.
    int translucentCount() const { return translucent_; }
    // The nearest entry of each pixel, row by row; safe from several threads at once.
    std::vector<std::uint8_t> map(const imagelib::Picture& frame) const;

private:
    std::uint8_t nearest(int r, int g, int b, int a) const;
    std::vector<RgbaEntry> entries_;
    std::vector<std::array<float, 4>> premultiplied_;  // of each entry, as nearest() measures
    int translucent_ = 0;
    int clearEntry_ = -1;
    // Each pixel's entry by its colour to 6 bits and alpha to 5 (opaque
    // apart): 0 until asked, then the entry plus one.
    std::unique_ptr<std::atomic<std::uint16_t>[]> cache_;
};

}  // namespace pivra
