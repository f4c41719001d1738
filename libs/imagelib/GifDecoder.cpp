#include "GifDecoder.h"

#include "CommandError.h"
#include "GifMemoryReader.h"
#include "MagickSession.h"

namespace pivra::imagelib {

namespace {

void checkSize(long long width, long long height, const std::string& name) {
    if (width <= 0 || height <= 0) throw CommandError("\"" + name + "\" has no pixels");
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw CommandError("\"" + name + "\" is too large (" + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels)");
}

[[noreturn]] void fail(GifFileType* gif, const std::string& name) {
    const char* reason = GifErrorString(gif->Error);
    throw CommandError("cannot decode \"" + name + "\": " + (reason ? reason : "damaged GIF"));
}

}  // namespace

Picture decodeGifFirstFrame(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    GifMemoryReader reader{&bytes};
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
    checkSize(desc.Width, desc.Height, name);
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map) throw CommandError("cannot decode \"" + name + "\": no colour table");

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

    // Frames that do not fill the screen sit on a transparent canvas.
    Picture canvas(gif->SWidth, gif->SHeight);
    for (int y = 0; y < desc.Height; ++y) {
        const int cy = desc.Top + y;
        if (cy < 0 || cy >= canvas.height) continue;
        for (int x = 0; x < desc.Width; ++x) {
            const int cx = desc.Left + x;
            if (cx < 0 || cx >= canvas.width) continue;
            const int index = indices[static_cast<std::size_t>(y) * desc.Width + x];
            if (index == transparent) continue;
            std::uint8_t* p = canvas.pixel(cx, cy);
            if (index < map->ColorCount) {
                p[0] = map->Colors[index].Red;
                p[1] = map->Colors[index].Green;
                p[2] = map->Colors[index].Blue;
            }
            p[3] = 255;
        }
    }
    canvas.palette = true;
    canvas.matte = transparent != NO_TRANSPARENT_COLOR || !canvas.isOpaque();
    return canvas;
}

}  // namespace pivra::imagelib
