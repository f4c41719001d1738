#pragma once
// A picture shrunk by a whole factor while its rows stream in: each output
// pixel is the mean of a d x d block of input pixels (fewer at the right and
// bottom edges), its colour weighted by alpha. Only the output and one row of
// sums are held, whatever the size of the input.
#include <cstdint>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

class BoxShrink {
public:
    // width x height in, shrunk by d (1 or more); premultiplied: the rows'
    // colours are already multiplied by their alpha.
    BoxShrink(int width, int height, int d, bool premultiplied);

    // Row y of the input, RGBA, the rows top to bottom.
    void addRow(int y, const std::uint8_t* rgba);
    // One pixel at (x, y), in any order (an interlaced PNG's passes); from
    // the first such call on, the sums of the whole output are held.
    void addPixel(int x, int y, const std::uint8_t* rgba);

    // The result once every row is in.
    Picture take();

    // The factor that leaves at least twice `target` each way (1 when none
    // does), as the JPEG reader's scale does.
    static int factorFor(int width, int height, int targetWidth, int targetHeight);

private:
    void flushRow(int outY);
    std::uint64_t* sumsAt(int x, int y);

    int width_, height_, d_;
    bool premultiplied_;
    bool pieces_ = false;          // sums held for the whole output
    int pendingRow_ = -1;          // the output row whose sums are held
    std::vector<std::uint64_t> sums_;  // R·a, G·a, B·a, a per output pixel
    Picture out_;
};

}  // namespace pivra::imagelib
