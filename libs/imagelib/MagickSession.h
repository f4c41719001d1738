#pragma once
// One-time MagickWand start-up with the resource limits every command relies on.

namespace pivra::imagelib {

// Largest picture a command will decode or produce.
constexpr int kMaxSide = 16000;
constexpr long long kMaxPixels = 100LL * 1000 * 1000;

// Safe to call from any thread, any number of times; the work happens once.
// MagickWandTerminus is deliberately never called: the host may use
// ImageMagick too, and the process exit frees everything.
void ensureMagickReady();

}  // namespace pivra::imagelib
