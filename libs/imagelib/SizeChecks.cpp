#include "SizeChecks.h"

#include "CommandError.h"

namespace pivra::imagelib {

void checkSize(long long width, long long height, const std::string& name) {
    if (width <= 0 || height <= 0) throw CommandError("\"" + name + "\" has no pixels");
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw CommandError("\"" + name + "\" is too large (" + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels; at most " + std::to_string(kMaxSide) +
                           " a side and " + std::to_string(kMaxPixels / 1000000) + " megapixels)");
}

void checkDecodeBytes(long long width, long long height, std::size_t bytesPerPixel,
                      long long fixedBytes, const std::string& name, std::size_t budget) {
    // Sides are already within kMaxSide, so nothing here overflows.
    const long long bytes = width * height * static_cast<long long>(bytesPerPixel) + fixedBytes;
    if (bytes > static_cast<long long>(budget))
        throw CommandError("\"" + name + "\" is too large to decode (" + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels would take " +
                           std::to_string(bytes >> 20) + " MB)");
}

void failEndsEarly(const std::string& name) {
    throw CommandError("cannot decode \"" + name + "\": the picture's data ends early");
}

}  // namespace pivra::imagelib
