#include "GifDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <gif_lib.h>

#include "BoxShrink.h"
#include "CommandError.h"
#include "JpegScale.h"
#include "GifMemoryReader.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

using MemoryReader = GifMemoryReader;

// One LZW code is at least one bit and stands for at most 4096 pixels (the
// longest string a 12-bit table holds): what the remaining bytes can cover.
constexpr long long kMaxPixelsPerLzwBit = 4096;

// A GIF whose frame has no colour table and whose file has none either: a
// grey ramp over the frame's code size, as other readers do. giflib has just
// read that size, the byte before the LZW data.
std::vector<GifColorType> greyRamp(const MemoryReader& reader) {
    int bits = reader.offset > 0 ? (*reader.bytes)[reader.offset - 1] : 8;
    if (bits < 1 || bits > 8) bits = 8;
    const int count = 1 << bits;
    std::vector<GifColorType> ramp(count);
    for (int i = 0; i < count; ++i) {
        const auto level = static_cast<GifByteType>(count == 1 ? 0 : i * 255 / (count - 1));
        ramp[i] = GifColorType{level, level, level};
    }
    return ramp;
}

[[noreturn]] void fail(GifFileType* gif, const std::string& name) {
    const char* reason = GifErrorString(gif->Error);
    throw CommandError("cannot decode \"" + name + "\": " + (reason ? reason : "damaged GIF"));
}

}  // namespace

Picture decodeGifFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name,
                            const std::optional<ResizeGeometry>& nextResize) {
    MemoryReader reader{&bytes};
    int error = 0;
    GifReaderPtr gif = openGifReader(reader, error);
    if (!gif) {
        const char* reason = GifErrorString(error);
        throw CommandError("cannot decode \"" + name + "\": " + (reason ? reason : "damaged GIF"));
    }
    checkSize(gif->SWidth, gif->SHeight, name);

    int transparent = NO_TRANSPARENT_COLOR;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK) fail(gif.get(), name);
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) fail(gif.get(), name);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock control{};
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) fail(gif.get(), name);
            }
        } else if (record == TERMINATE_RECORD_TYPE) {
            throw CommandError("\"" + name + "\" has no frames");
        }
    } while (record != IMAGE_DESC_RECORD_TYPE);

    if (DGifGetImageDesc(gif.get()) != GIF_OK) fail(gif.get(), name);
    const GifImageDesc& desc = gif->Image;
    // The frame is the picture, at its own size: a small frame on a huge
    // screen costs only the frame.
    checkSize(desc.Width, desc.Height, name);
    const long long left = static_cast<long long>(bytes.size() - reader.offset);
    if (static_cast<long long>(desc.Width) * desc.Height > left * 8 * kMaxPixelsPerLzwBit) failEndsEarly(name);
    const bool shrinking =
        nextResize && 1ULL * desc.Width * desc.Height * (sizeof(GifPixelType) + 4) > kMaxDecodeBytes;
    if (!shrinking) checkDecodeBytes(desc.Width, desc.Height, sizeof(GifPixelType) + 4, 0, name);
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    std::vector<GifColorType> ramp;
    const GifColorType* colors = map ? map->Colors : nullptr;
    int colorCount = map ? map->ColorCount : 0;
    if (!colors) {
        ramp = greyRamp(reader);
        colors = ramp.data();
        colorCount = static_cast<int>(ramp.size());
    }

    // Index to RGBA, the transparent index clear.
    const auto toRgba = [&](const GifPixelType* p, std::uint8_t* q, int count) {
        for (std::uint8_t* end = q + 4 * count; q < end; q += 4, ++p) {
            const int index = *p;
            if (index == transparent) continue;
            if (index < colorCount) q[0] = colors[index].Red, q[1] = colors[index].Green, q[2] = colors[index].Blue;
            q[3] = 255;
        }
    };
    if (shrinking) {
        const PixelSize target = resizeTargetFor(*nextResize, {desc.Width, desc.Height}, false);
        const int d = BoxShrink::factorFor(desc.Width, desc.Height, target.width, target.height);
        checkDecodeBytes((desc.Width + d - 1) / d, (desc.Height + d - 1) / d, desc.Interlace ? 4 + 32 : 4,
                         5LL * desc.Width, name);
        BoxShrink shrink(desc.Width, desc.Height, d, false);
        std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
        std::vector<std::uint8_t> rgba(line.size() * 4);
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (desc.Interlace ? 4 : 1); ++pass)
            for (int y = desc.Interlace ? start[pass] : 0; y < desc.Height; y += desc.Interlace ? step[pass] : 1) {
                if (DGifGetLine(gif.get(), line.data(), desc.Width) != GIF_OK) fail(gif.get(), name);
                std::fill(rgba.begin(), rgba.end(), 0);
                toRgba(line.data(), rgba.data(), desc.Width);
                if (!desc.Interlace) {
                    shrink.addRow(y, rgba.data());
                } else {
                    for (int x = 0; x < desc.Width; ++x) shrink.addPixel(x, y, &rgba[static_cast<std::size_t>(x) * 4]);
                }
            }
        Picture frame = shrink.take();
        frame.matte = transparent != NO_TRANSPARENT_COLOR || !frame.isOpaque();
        return frame;
    }

    std::vector<GifPixelType> indices(static_cast<std::size_t>(desc.Width) * desc.Height);
    std::vector<int> rowOrder(desc.Height);
    if (desc.Interlace) {
        int next = 0;
        for (int pass = 0; pass < 4; ++pass) {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int y = start[pass]; y < desc.Height; y += step[pass]) rowOrder[next++] = y;
        }
    } else {
        for (int y = 0; y < desc.Height; ++y) rowOrder[y] = y;
    }
    for (int i = 0; i < desc.Height; ++i)
        if (DGifGetLine(gif.get(), indices.data() + static_cast<std::size_t>(rowOrder[i]) * desc.Width,
                        desc.Width) != GIF_OK)
            fail(gif.get(), name);

    Picture frame(desc.Width, desc.Height);
    toRgba(indices.data(), frame.rgba.data(), desc.Width * desc.Height);
    frame.palette = true;
    frame.matte = transparent != NO_TRANSPARENT_COLOR || !frame.isOpaque();
    return frame;
}

}  // namespace pivra::imagelib
