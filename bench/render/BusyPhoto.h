#pragma once
// A busy, colourful "phone photo" drawn the same every run: hundreds of
// bright discs and stripes over a noisy gradient, saved as a JPEG.
#include <string>

namespace pivra::bench {

void DrawBusyPhoto(const std::string& path, int w, int h, unsigned seed);

}  // namespace pivra::bench
