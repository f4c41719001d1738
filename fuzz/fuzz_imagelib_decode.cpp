// Feeds arbitrary bytes to the image libraries' decoding: content sniffing,
// then our JPEG, GIF and ImageMagick (PNG, BMP, MIFF) paths.
#include <cstdint>
#include <vector>

#include "CommandError.h"
#include "PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    try {
        const pivra::imagelib::Picture picture = pivra::imagelib::decodeFirstFrame(bytes, "fuzz");
        // A decoded picture is never empty and its pixels are all there.
        if (picture.width <= 0 || picture.height <= 0 ||
            picture.rgba.size() != static_cast<std::size_t>(picture.width) * picture.height * 4)
            __builtin_trap();
        unsigned sum = 0;
        for (std::uint8_t v : picture.rgba) sum += v;
        (void)sum;
        if (!picture.matte && !picture.isOpaque()) __builtin_trap();
    } catch (const pivra::imagelib::CommandError&) {
        // Refused with a reason: the expected outcome for most inputs.
    }
    return 0;
}
