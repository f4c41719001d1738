#pragma once
// A picture as the picture cache holds it: one of at most 256 colours as
// one byte a pixel and its colours (a quarter of the memory, and what most
// files of a build are), any other as it is. The colour-table and alpha
// flags are kept as they were either way.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ColorQuantizer.h"
#include "Picture.h"

namespace pivra::imagelib {

class PackedPicture {
public:
    explicit PackedPicture(std::shared_ptr<const Picture> picture);

    // A frame we wrote to a GIF, as a GIF reader will decode it: the
    // transparent entry as (0, 0, 0, 0), every other entry opaque.
    explicit PackedPicture(const IndexedPicture& written);

    // Indices into up to 256 colours (RGBA bytes in memory order).
    PackedPicture(int width, int height, bool palette, bool matte, std::vector<std::uint32_t> colors,
                  std::vector<std::uint8_t> indices);

    // The same pixels and flags as the picture packed.
    std::shared_ptr<const Picture> unpack() const;

    // Memory held, for the cache's bound.
    std::size_t bytes() const;

private:
    std::shared_ptr<const Picture> whole_;  // set when not indexed
    int width_ = 0;
    int height_ = 0;
    bool palette_ = false;
    bool matte_ = false;
    std::vector<std::uint32_t> colors_;  // RGBA bytes in memory order
    std::vector<std::uint8_t> indices_;
};

}  // namespace pivra::imagelib
