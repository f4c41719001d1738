#pragma once
// Owning handles for the MagickWand objects this library creates.
#include <memory>
#include <string>

#include <wand/MagickWand.h>

namespace pivra::imagelib {

struct WandDeleter {
    void operator()(MagickWand* w) const { DestroyMagickWand(w); }
};
using WandPtr = std::unique_ptr<MagickWand, WandDeleter>;

// Memory that MagickWand hands out and expects back through MagickRelinquishMemory.
struct MagickMemoryDeleter {
    void operator()(void* p) const { MagickRelinquishMemory(p); }
};
using MagickBlobPtr = std::unique_ptr<unsigned char, MagickMemoryDeleter>;
using MagickTextPtr = std::unique_ptr<char, MagickMemoryDeleter>;

// A new wand; MagickWand must already be initialised (see MagickSession).
WandPtr newWand();

// The wand's pending exception as one short line (a generic reason if it
// has none), and clears it.
std::string takeWandError(MagickWand* wand);

}  // namespace pivra::imagelib
