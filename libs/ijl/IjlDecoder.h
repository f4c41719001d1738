#pragma once
// One libjpeg-turbo decompressor, kept from ijlInit to ijlFree. Every libjpeg
// failure comes back as one of the library's status codes; libjpeg never
// gets to end the process.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "ijl.h"

namespace pivra::ijl {

struct JpegParams {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t channels = 0;
    std::int32_t color = 0;
    // What the entropy-coded data must hold: every 8 x 8 block of every
    // component is at least one bit in Huffman coding (not in arithmetic).
    std::int64_t blocks = 0;
    bool arithmetic = false;
    // Progressive files keep all coefficients in memory: 128 bytes a block.
    bool progressive = false;
};

// Where decoded rows go: width x height pixels of three bytes, rows stride bytes apart.
struct PixelTarget {
    std::uint8_t* bits;
    std::int32_t width;
    std::int32_t height;
    std::int64_t stride;
    bool bottomUp;
    std::int32_t color;  // IJL_BGR or IJL_RGB; anything else is refused
};

class IjlDecoder {
public:
    IjlDecoder();
    ~IjlDecoder();
    IjlDecoder(const IjlDecoder&) = delete;
    IjlDecoder& operator=(const IjlDecoder&) = delete;

    // False when libjpeg could not make its decompressor.
    bool ready() const { return created_; }

    IJLERR readParams(const std::uint8_t* data, std::size_t size, JpegParams& params);
    // scaleDenom is 1, 2, 4 or 8.
    IJLERR readImage(const std::uint8_t* data, std::size_t size, int scaleDenom, const PixelTarget& target);
    // Full size, straight RGBA (alpha 255), rows top-down and unpadded, into
    // rgba (width x height x 4 bytes, the size readParams gave). Grey, colour
    // and four-channel files (CMYK or YCCK, stored inverted as Adobe writes them).
    IJLERR readRgba(const std::uint8_t* data, std::size_t size, std::uint8_t* rgba, std::int32_t width,
                    std::int32_t height);
    // libjpeg's own words for the last failure it reported; "" if none.
    const char* lastMessage() const { return err_.message; }

    // Largest memory libjpeg may take for whole-picture buffers (progressive files).
    static constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;
    // More scans than any sane progressive file has; beyond it the data counts as corrupt.
    static constexpr int kMaxScans = 1000;

    struct ErrorManager {
        jpeg_error_mgr pub;
        std::jmp_buf jump;
        IJLERR status;
        int scans;
        char message[JMSG_LENGTH_MAX];
    };

private:
    // These functions call setjmp; keep objects with destructors out of them.
    void create();
    IJLERR startRead(const std::uint8_t* data, std::size_t size);

    jpeg_decompress_struct cinfo_{};
    ErrorManager err_{};
    bool created_ = false;
};

}  // namespace pivra::ijl
