#pragma once
// The plain forms of BMP and MIFF our installation files and working
// templates take, read and written here without ImageMagick: they are most
// of a build's fixed cost, and ImageMagick spends it setting up and
// clearing 16-bit pixel stores. Anything else in these formats is left to
// ImageMagick, so these readers may say no to whatever they do not know.
#include <cstdint>
#include <optional>
#include <vector>

#include "Picture.h"

namespace pivra::imagelib {

// A 24-bit uncompressed BMP with the 40-byte header, no colour table and
// its true file size, as ImageMagick decodes it; nothing for any other BMP.
std::optional<Picture> readUncompressedBmp(const std::vector<std::uint8_t>& bytes);

// An opaque picture as ImageMagick's BMP3 coder writes it as true colour:
// the 40-byte header, 24 bits a pixel, rows bottom-up padded to 4 bytes.
std::vector<std::uint8_t> writeUncompressedBmp(const Picture& picture);

// An uncompressed 8-bit MIFF without alpha, either a colour table of at
// most 256 entries (sRGB, or Gray with grey entries) or sRGB pixels, as
// ImageMagick decodes it; nothing for any other MIFF.
std::optional<Picture> readPlainMiff(const std::vector<std::uint8_t>& bytes);

// An opaque picture without a colour table as ImageMagick's MIFF coder
// writes it: its default header, then 8-bit RGB.
std::vector<std::uint8_t> writePlainMiff(const Picture& picture);

}  // namespace pivra::imagelib
