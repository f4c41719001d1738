// Feeds arbitrary bytes to the JPEG reader's DecodeJpegBuffer at each factor.
#include <cstdint>
#include <limits>

#include "SilentNotifier.h"
#include "surface/JpegReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static pivra::fuzz::SilentNotifier silent;
    static pivra::ScopedNotifier scope(silent);
    if (size == 0 || size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return 0;

    // The last byte picks the factor, so every reading mode gets fuzzed.
    static const std::int32_t factors[] = {1, 2, 4, 8};
    const std::int32_t factor = factors[data[size - 1] % 4];
    pivra::CDIBSection dib;
    if (pivra::DecodeJpegBuffer(dib, data, static_cast<std::int32_t>(size), factor)) {
        if (dib.dib_channels() != 3 || dib.dib_width() <= 0) __builtin_trap();
        const std::uint8_t* bits = dib.DIBSectionBitsPtr();
        unsigned sum = 0;
        for (std::int64_t i = 0; i < std::int64_t{dib.BytesPerScanLine()} * dib.dib_height(); ++i) sum += bits[i];
        (void)sum;
    }
    return 0;
}
