// Feeds arbitrary bytes to the image libraries' decoding: content sniffing,
// the EXIF orientation, then our JPEG, GIF, WebP and HEIF paths and
// ImageMagick's (PNG, BMP, MIFF, TIFF), whole and reduced for a resize. The quick
// readers (plain BMP and MIFF, whole-screen GIF) must give what the general
// decoder gives whenever they give anything.
#include <cstdint>
#include <optional>
#include <vector>

#include "CommandError.h"
#include "GifIndexedReader.h"
#include "PictureDecoder.h"
#include "UncompressedFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pivra::imagelib;
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::optional<Picture> quick = readUncompressedBmp(bytes);
    if (!quick) quick = readPlainMiff(bytes);
    if (!quick)
        if (const std::optional<PackedPicture> packed = readWholeScreenGif(bytes)) quick = *packed->unpack();
    try {
        const Picture picture = decodeFirstFrame(bytes, "fuzz");
        if (quick && (quick->width != picture.width || quick->height != picture.height || quick->rgba != picture.rgba))
            __builtin_trap();
        // A decoded picture is never empty and its pixels are all there.
        if (picture.width <= 0 || picture.height <= 0 ||
            picture.rgba.size() != static_cast<std::size_t>(picture.width) * picture.height * 4)
            __builtin_trap();
        unsigned sum = 0;
        for (std::uint8_t v : picture.rgba) sum += v;
        (void)sum;
        if (!picture.matte && !picture.isOpaque()) __builtin_trap();
        // Reduced for a small resize, it is still a whole picture.
        const Picture reduced = decodeFirstFrame(bytes, "fuzz", ResizeGeometry{4, 4, false, true});
        if (reduced.width <= 0 || reduced.width > picture.width || reduced.height > picture.height ||
            reduced.rgba.size() != reduced.pixelCount() * 4)
            __builtin_trap();
    } catch (const CommandError&) {
        // Refused with a reason: the expected outcome for most inputs. A
        // quick reader may still read what the general one refuses (a GIF
        // past the limits it checks differently), but never a BMP or MIFF.
        if (quick && (bytes.size() < 2 || bytes[0] != 'G')) __builtin_trap();
    }
    return 0;
}
