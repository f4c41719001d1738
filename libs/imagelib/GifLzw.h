#pragma once
// GIF's LZW image data, coded here rather than a row at a time through
// giflib: giflib spends most of a build looking codes up in a small hash
// table behind a call for every pixel. The encoder writes exactly giflib's
// bytes, so files stay the same; the decoder reads exactly what giflib reads
// and leaves anything unusual to giflib.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pivra::imagelib {

// Appends the data sub-blocks (a length byte, then up to 255 bytes each) of
// `count` pixels (count > 0) coded with the given minimum code size (2 to 8,
// the byte that precedes the sub-blocks), as giflib 5 codes them: the same
// codes, clears and block lengths. The closing empty block is not appended.
void appendLzwBlocks(const std::uint8_t* pixels, std::size_t count, int codeSize, std::vector<std::uint8_t>& out);

// Decodes `count` pixels from LZW data (the sub-blocks' bytes joined, without
// their length bytes) coded with the given minimum code size. False for data
// that ends early, codes that name no string yet, a minimum code size outside
// 2 to 8, or a full table without a clear: data that giflib reads its own way
// or refuses, so the caller hands it to giflib.
bool lzwDecode(const std::uint8_t* data, std::size_t size, int codeSize, std::uint8_t* out, std::size_t count);

// The data sub-blocks that start at `offset` joined into `joined`; `offset`
// is left after the closing empty block. False when the blocks run past the
// end of `bytes`.
bool joinSubBlocks(const std::vector<std::uint8_t>& bytes, std::size_t& offset, std::vector<std::uint8_t>& joined);

}  // namespace pivra::imagelib
