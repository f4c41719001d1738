#pragma once
// giflib reading from bytes already in memory.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace pivra::imagelib {

struct GifMemoryReader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t offset = 0;

    static int read(GifFileType* gif, GifByteType* out, int length) noexcept {
        auto* reader = static_cast<GifMemoryReader*>(gif->UserData);
        const std::size_t left = reader->bytes->size() - reader->offset;
        const std::size_t n = std::min<std::size_t>(left, static_cast<std::size_t>(std::max(length, 0)));
        if (n > 0) std::memcpy(out, reader->bytes->data() + reader->offset, n);
        reader->offset += n;
        return static_cast<int>(n);
    }
};

struct GifReaderCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifReaderPtr = std::unique_ptr<GifFileType, GifReaderCloser>;

// Null with giflib's error code in `error` when the header is not a GIF's.
inline GifReaderPtr openGifReader(GifMemoryReader& reader, int& error) {
    return GifReaderPtr(DGifOpen(&reader, &GifMemoryReader::read, &error));
}

// Reads records up to and including the first image's descriptor, keeping
// the transparent index of the last control block before it. False on a
// damaged record or a file without an image.
inline bool readToFirstImage(GifFileType* gif, int& transparent) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif, &record) != GIF_OK || record == TERMINATE_RECORD_TYPE) return false;
        if (record != EXTENSION_RECORD_TYPE) continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
        }
        while (block)
            if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    } while (record != IMAGE_DESC_RECORD_TYPE);
    return DGifGetImageDesc(gif) == GIF_OK;
}

}  // namespace pivra::imagelib
