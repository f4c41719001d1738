#include "GifFrameCopy.h"

#include "CommandError.h"
#include "GifMemoryReader.h"
#include "GifWriting.h"
#include "ImageFormat.h"

namespace pivra::imagelib {

namespace {

struct ColorMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Reads up to and including the first image's data; false on anything a
// plain copy would not reproduce exactly.
bool readFirstImage(GifFileType* gif, CompressedGifFrame& frame) {
    if (!readToFirstImage(gif, frame.transparentIndex)) return false;
    const GifImageDesc& desc = gif->Image;
    if (desc.Left != 0 || desc.Top != 0 || desc.Width != gif->SWidth || desc.Height != gif->SHeight ||
        desc.Width <= 0 || desc.Height <= 0)
        return false;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount < 2 || map->ColorCount > 256) return false;
    // giflib writes the code size from the table it is given; data made
    // with another code size cannot follow that header byte.
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &frame.codeSize, &block) != GIF_OK) return false;
    if (frame.codeSize != std::max(2, GifBitSize(map->ColorCount))) return false;
    while (block) {
        frame.blocks.insert(frame.blocks.end(), block, block + block[0] + 1);
        if (DGifGetCodeNext(gif, &block) != GIF_OK) return false;
    }
    frame.width = desc.Width;
    frame.height = desc.Height;
    frame.interlaced = desc.Interlace;
    frame.colors.assign(map->Colors, map->Colors + map->ColorCount);
    // An index beyond the table reads differently from one reader to another.
    return frame.transparentIndex < map->ColorCount;
}

// True when nothing but extensions follows up to the trailer.
bool onlyOneImage(GifFileType* gif) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif, &record) != GIF_OK) return false;
        if (record == IMAGE_DESC_RECORD_TYPE) return false;
        if (record != EXTENSION_RECORD_TYPE) continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
        while (block)
            if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    } while (record != TERMINATE_RECORD_TYPE);
    return true;
}

}  // namespace

std::optional<CompressedGifFrame> readCompressedGifFrame(const std::vector<std::uint8_t>& bytes) {
    if (sniffFormat(bytes.data(), bytes.size()) != ImageFormat::Gif) return std::nullopt;
    GifMemoryReader reader{&bytes};
    int error = 0;
    GifReaderPtr gif = openGifReader(reader, error);
    if (!gif) return std::nullopt;
    CompressedGifFrame frame;
    if (!readFirstImage(gif.get(), frame) || !onlyOneImage(gif.get())) return std::nullopt;
    return frame;
}

void putCompressedFrame(GifFileType* gif, const CompressedGifFrame& frame, const AnimationSettings& settings,
                        bool animated) {
    if (wantsControlBlock(settings, animated, frame.transparentIndex))
        putControlBlock(gif, settings, frame.transparentIndex);
    std::unique_ptr<ColorMapObject, ColorMapDeleter> map(
        GifMakeMapObject(static_cast<int>(frame.colors.size()), frame.colors.data()));
    if (!map) throw CommandError("GIF encoder is out of memory");
    checkGif(EGifPutImageDesc(gif, 0, 0, frame.width, frame.height, frame.interlaced, map.get()), gif, "image");
    // EGifPutImageDesc has written the code size; the data follows it as it was.
    const std::uint8_t* block = frame.blocks.data();
    const std::uint8_t* end = block + frame.blocks.size();
    checkGif(EGifPutCode(gif, frame.codeSize, block == end ? nullptr : block), gif, "pixels");
    if (block != end) {
        for (block += block[0] + 1; block < end; block += block[0] + 1)
            checkGif(EGifPutCodeNext(gif, block), gif, "pixels");
        checkGif(EGifPutCodeNext(gif, nullptr), gif, "pixels");
    }
}

}  // namespace pivra::imagelib
