#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "BoxShrink.h"
#include "CommandError.h"
#include "JpegScale.h"
#include "LargePictures.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

struct Source {
    explicit Source(const std::vector<std::uint8_t>& b) : bytes(&b) {}
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 8;
    char error[200] = "";
};

void OnError(png_structp png, png_const_charp message) {
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(source->error, sizeof source->error, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->bytes->size() - source->at) png_error(png, "the picture's data ends early");
    std::memcpy(out, source->bytes->data() + source->at, length);
    source->at += length;
}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Everything the rows need is made before: only libpng and the sums run
// between setjmp and its return.
bool ReadHeader(PngReader& r, Source& source, png_uint_32& width, png_uint_32& height, int& interlace) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, &source, ReadBytes);
    png_set_sig_bytes(r.png, 8);
    png_set_user_limits(r.png, kMaxSide, kMaxSide);
    // Text and colour profiles are not wanted; a hostile one may claim much.
    png_set_chunk_malloc_max(r.png, 8u << 20);
    png_read_info(r.png, r.info);
    int depth = 0, colour = 0;
    png_get_IHDR(r.png, r.info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    // Whatever is stored becomes 8-bit RGBA: the colour table and the
    // transparent colour spread, grey made RGB, 16 bits rounded to 8.
    png_set_expand(r.png);
    png_set_scale_16(r.png);
    png_set_gray_to_rgb(r.png);
    png_set_add_alpha(r.png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(r.png, r.info);
    return true;
}

bool ReadRows(PngReader& r, png_uint_32 width, png_uint_32 height, bool interlaced, std::uint8_t* row, BoxShrink& shrink) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    if (!interlaced) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(r.png, row, nullptr);
            shrink.addRow(static_cast<int>(y), row);
        }
    } else {
        // Each pass's own rows, as libpng gives them without interlace
        // handling: every pixel goes straight to its block's sums.
        for (int pass = 0; pass < 7; ++pass) {
            const png_uint_32 rows = PNG_PASS_ROWS(height, pass), cols = PNG_PASS_COLS(width, pass);
            if (rows == 0 || cols == 0) continue;
            for (png_uint_32 r2 = 0; r2 < rows; ++r2) {
                png_read_row(r.png, row, nullptr);
                const int y = static_cast<int>(PNG_ROW_FROM_PASS_ROW(r2, pass));
                for (png_uint_32 c = 0; c < cols; ++c)
                    shrink.addPixel(static_cast<int>(PNG_COL_FROM_PASS_COL(c, pass)), y, row + c * 4);
            }
        }
    }
    png_read_end(r.png, nullptr);
    return true;
}

}  // namespace

Picture decodePngShrinking(const std::vector<std::uint8_t>& bytes, const std::string& name,
                           const ResizeGeometry& resize, bool sidesSwapped) {
    Source source(bytes);
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    if (reader.png) reader.info = png_create_info_struct(reader.png);
    if (!reader.info) throw CommandError("cannot decode \"" + name + "\": out of memory");
    png_uint_32 width = 0, height = 0;
    int interlace = 0;
    if (bytes.size() < 8 || !ReadHeader(reader, source, width, height, interlace))
        throw CommandError("cannot decode \"" + name + "\": " + source.error);
    checkSize(width, height, name);

    const PixelSize stored{static_cast<int>(width), static_cast<int>(height)};
    const PixelSize target = resizeTargetFor(resize, stored, sidesSwapped);
    const int d = BoxShrink::factorFor(stored.width, stored.height, target.width, target.height);
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    // The output, a row, and for an interlaced picture the sums of it all.
    const long long outWidth = (width + d - 1) / d, outHeight = (height + d - 1) / d;
    checkDecodeBytes(outWidth, outHeight, interlaced ? 4 + 32 : 4, 40LL * width, name);
    std::vector<std::uint8_t> row(png_get_rowbytes(reader.png, reader.info));
    BoxShrink shrink(stored.width, stored.height, d, false);
    if (!ReadRows(reader, width, height, interlaced, row.data(), shrink))
        throw CommandError("cannot decode \"" + name + "\": " + source.error);
    Picture picture = shrink.take();
    picture.matte = !picture.isOpaque();
    return picture;
}

}  // namespace pivra::imagelib
