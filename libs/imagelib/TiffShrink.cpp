#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>

#include "BoxShrink.h"
#include "CommandError.h"
#include "JpegScale.h"
#include "LargePictures.h"
#include "Orientation.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

// The file's bytes, read by libtiff as if from a file; its complaints kept.
struct Memory {
    explicit Memory(const std::vector<std::uint8_t>& b) : bytes(&b) {}
    const std::vector<std::uint8_t>* bytes;
    toff_t at = 0;
    std::string error;
};

tmsize_t ReadProc(thandle_t h, void* out, tmsize_t size) {
    auto* m = static_cast<Memory*>(h);
    if (m->at >= m->bytes->size() || size < 0) return 0;
    const tmsize_t n = std::min<tmsize_t>(size, static_cast<tmsize_t>(m->bytes->size() - m->at));
    std::memcpy(out, m->bytes->data() + m->at, static_cast<std::size_t>(n));
    m->at += static_cast<toff_t>(n);
    return n;
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
    auto* m = static_cast<Memory*>(h);
    const toff_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? m->bytes->size() : 0;
    m->at = base + offset;
    return m->at;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<Memory*>(h)->bytes->size(); }
int MapProc(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<Memory*>(h);
    *base = const_cast<std::uint8_t*>(m->bytes->data());
    *size = m->bytes->size();
    return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* m = static_cast<Memory*>(user);
    char text[300];
    std::vsnprintf(text, sizeof text, format, args);
    if (m->error.empty()) m->error = text;
    return 1;  // handled: nothing printed
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr OpenTiff(Memory& memory, const std::string& name) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) throw CommandError("cannot decode \"" + name + "\": out of memory");
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &memory);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &memory);
    // No strip, tile or table of ours is larger; a claim of more is damage.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t{256} << 20);
    TiffPtr tiff(TIFFClientOpenExt("picture", "rm", &memory, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                   MapProc, UnmapProc, options));
    TIFFOpenOptionsFree(options);
    if (!tiff) throw CommandError("cannot decode \"" + name + "\": " + (memory.error.empty() ? "damaged or unsupported content" : memory.error));
    return tiff;
}

void SizeOf(TIFF* tiff, std::uint32_t& width, std::uint32_t& height) {
    width = height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
}

[[noreturn]] void Fail(const Memory& memory, const std::string& name) {
    throw CommandError("cannot decode \"" + name + "\": " + (memory.error.empty() ? "damaged or unsupported content" : memory.error));
}

}  // namespace

void tiffClaimedSize(const std::vector<std::uint8_t>& bytes, const std::string& name, long long& width, long long& height) {
    Memory memory(bytes);
    TiffPtr tiff = OpenTiff(memory, name);
    std::uint32_t w, h;
    SizeOf(tiff.get(), w, h);
    width = w, height = h;
}

Picture decodeTiffShrinking(const std::vector<std::uint8_t>& bytes, const std::string& name,
                            const ResizeGeometry& resize, int& orientation) {
    Memory memory(bytes);
    TiffPtr owner = OpenTiff(memory, name);
    TIFF* tiff = owner.get();
    std::uint32_t width, height;
    SizeOf(tiff, width, height);
    checkSize(width, height, name);
    std::uint16_t stored = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &stored);
    orientation = stored;
    // The rows as stored; turning them is left to the caller, as for every picture.
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    char why[1024] = "";
    if (!TIFFRGBAImageOK(tiff, why)) throw CommandError("cannot decode \"" + name + "\": " + why);

    const PixelSize size{static_cast<int>(width), static_cast<int>(height)};
    const PixelSize target = resizeTargetFor(resize, size, turnsOnItsSide(orientation));
    const int d = BoxShrink::factorFor(size.width, size.height, target.width, target.height);
    std::uint32_t pieceWidth = width, pieceHeight = 0;
    const bool tiled = TIFFIsTiled(tiff);
    if (tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &pieceWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &pieceHeight);
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &pieceHeight);
        pieceHeight = std::min(pieceHeight, height);
    }
    if (pieceWidth == 0 || pieceHeight == 0 || pieceWidth > kMaxSide || pieceHeight > kMaxSide) Fail(memory, name);
    // The output, one band of whole rows (a strip, or a row of tiles) and one tile.
    const long long outWidth = (width + d - 1) / d, outHeight = (height + d - 1) / d;
    checkDecodeBytes(outWidth, outHeight, 4, 4LL * width * pieceHeight + 4LL * pieceWidth * pieceHeight + 32LL * width, name);

    std::vector<std::uint32_t> piece(static_cast<std::size_t>(pieceWidth) * pieceHeight);
    std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * pieceHeight);
    BoxShrink shrink(size.width, size.height, d, true);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 4);
    for (std::uint32_t top = 0; top < height; top += pieceHeight) {
        const std::uint32_t rows = std::min(pieceHeight, height - top);
        // libtiff's RGBA rows run bottom to top within what it read.
        if (tiled) {
            for (std::uint32_t left = 0; left < width; left += pieceWidth) {
                if (!TIFFReadRGBATile(tiff, left, top, piece.data())) Fail(memory, name);
                const std::uint32_t cols = std::min(pieceWidth, width - left);
                for (std::uint32_t r = 0; r < rows; ++r)
                    std::memcpy(&band[static_cast<std::size_t>(r) * width + left],
                                &piece[static_cast<std::size_t>(pieceHeight - 1 - r) * pieceWidth], cols * 4);
            }
        } else {
            if (!TIFFReadRGBAStrip(tiff, top, band.data())) Fail(memory, name);
            std::reverse(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(rows) * width);
            // Reversed whole, each row is also reversed along itself: put back below.
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t* p = &band[static_cast<std::size_t>(r) * width];
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t v = tiled ? p[x] : p[width - 1 - x];
                std::uint8_t* q = &row[static_cast<std::size_t>(x) * 4];
                q[0] = static_cast<std::uint8_t>(TIFFGetR(v)), q[1] = static_cast<std::uint8_t>(TIFFGetG(v));
                q[2] = static_cast<std::uint8_t>(TIFFGetB(v)), q[3] = static_cast<std::uint8_t>(TIFFGetA(v));
            }
            shrink.addRow(static_cast<int>(top + r), row.data());
        }
    }
    Picture picture = shrink.take();
    picture.matte = !picture.isOpaque();
    return picture;
}

}  // namespace pivra::imagelib
