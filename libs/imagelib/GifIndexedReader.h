#pragma once
// The GIFs of a build, read straight into the picture cache's packed form:
// one image covering the whole screen, its indices kept as they are. Skips
// the canvas the general reader lays frames on, and the packing after it.
#include <cstdint>
#include <optional>
#include <vector>

#include "PackedPicture.h"

namespace pivra::imagelib {

// The same pixels and flags decodeGifFirstFrame gives, for a GIF whose
// first image covers its screen from the top-left corner. nullopt for any
// other GIF and for anything damaged or too large: the general reader then
// decodes it, or says what is wrong with it.
std::optional<PackedPicture> readWholeScreenGif(const std::vector<std::uint8_t>& bytes);

}  // namespace pivra::imagelib
