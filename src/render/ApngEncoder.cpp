#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/WorkerPool.h"
#include "render/AnimationEncoders.h"
#include "render/SharedPalette.h"

namespace pivra {

namespace {

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

struct PngOutput {
    std::vector<std::uint8_t> bytes;
    std::string error;
};

void OnPngError(png_structp png, png_const_charp message) {
    static_cast<PngOutput*>(png_get_error_ptr(png))->error = message ? message : "unknown error";
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
    try {
        out->bytes.insert(out->bytes.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp) {}

// One frame's pixels for libpng: RGBA rows, or palette indices with the
// shared palette (packed below 8 bits when it is small).
struct PngImage {
    int width = 0, height = 0;
    std::vector<png_bytep> rows;
    const SharedPalette* palette = nullptr;
};

int BitDepthFor(std::size_t entries) { return entries <= 2 ? 1 : entries <= 4 ? 2 : entries <= 16 ? 4 : 8; }

// Only libpng calls between setjmp and its return, and nothing to destroy.
bool WritePng(png_structp png, png_infop info, PngOutput* out, const PngImage& image) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, AppendPngBytes, FlushNothing);
    const auto width = static_cast<png_uint_32>(image.width), height = static_cast<png_uint_32>(image.height);
    if (image.palette) {
        const std::vector<RgbaEntry>& entries = image.palette->entries();
        png_color colours[256];
        png_byte alphas[256];
        for (std::size_t i = 0; i < entries.size(); ++i)
            colours[i] = {entries[i].r, entries[i].g, entries[i].b}, alphas[i] = entries[i].a;
        png_set_IHDR(png, info, width, height, BitDepthFor(entries.size()), PNG_COLOR_TYPE_PALETTE,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_PLTE(png, info, colours, static_cast<int>(entries.size()));
        if (image.palette->translucentCount() > 0)
            png_set_tRNS(png, info, alphas, image.palette->translucentCount(), nullptr);
        // No filter (they do not help indices) and zlib level 7: 2% larger
        // than level 9 at less than half its time, which the fit's trials feel.
        png_set_compression_level(png, 7);
    } else {
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        // Paeth alone and run-length matches: at 600 px, 50 frames, about a
        // third of the time of libpng's default (every filter tried on each
        // row, zlib level 6), for the same bytes on the sample pictures and
        // 3% fewer on busy photos (bench_apng_levels, pivra-make --scale 50).
        png_set_filter(png, 0, PNG_FILTER_PAETH);
        png_set_compression_strategy(png, Z_RLE);
    }
    png_write_info(png, info);
    if (image.palette) png_set_packing(png);
    png_write_image(png, const_cast<png_bytepp>(image.rows.data()));
    png_write_end(png, nullptr);
    return true;
}

// One frame as a whole PNG of its own, written by libpng.
bool EncodePng(const PngImage& image, std::vector<std::uint8_t>& bytes, std::string& why) {
    PngOutput out;
    PngWriter writer;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, OnPngError, OnPngWarning);
    if (writer.png) writer.info = png_create_info_struct(writer.png);
    if (!writer.info) {
        why = "the PNG encoder could not start";
        return false;
    }
    if (!WritePng(writer.png, writer.info, &out, image)) {
        why = "the PNG encoder failed: " + out.error;
        return false;
    }
    bytes = std::move(out.bytes);
    return true;
}

std::uint32_t ReadBig32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutBig16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[5], const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// The chunks of a PNG of ours the animation needs: IHDR, PLTE and tRNS
// as they are, and the image data (all IDAT chunks joined).
struct PngParts {
    std::vector<std::uint8_t> header, palette, alphas, data;
};

bool SplitPng(const std::vector<std::uint8_t>& png, PngParts& parts) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = ReadBig32(&png[at]);
        if (length > png.size() - at - 12) return false;
        const std::uint8_t* body = &png[at + 8];
        const auto is = [&](const char* type) { return std::memcmp(&png[at + 4], type, 4) == 0; };
        if (is("IHDR")) parts.header.assign(body, body + length);
        if (is("PLTE")) parts.palette.assign(body, body + length);
        if (is("tRNS")) parts.alphas.assign(body, body + length);
        if (is("IDAT")) parts.data.insert(parts.data.end(), body, body + length);
        at += 12 + length;
    }
    return !parts.header.empty() && !parts.data.empty();
}

// Where a frame stands on the canvas.
struct Region {
    int x = 0, y = 0, width = 0, height = 0;
};

// The smallest region holding every pixel not of the clear entry; a clear
// frame keeps one pixel, as a frame cannot be empty.
Region ShownRegion(const std::vector<std::uint8_t>& indices, int width, int height, int clear) {
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &indices[static_cast<size_t>(y) * width];
        int first = 0, last = width - 1;
        while (first < width && row[first] == clear) ++first;
        if (first == width) continue;
        while (row[last] == clear) --last;
        x0 = std::min(x0, first), x1 = std::max(x1, last), y0 = std::min(y0, y), y1 = y;
    }
    if (x1 < 0) return {0, 0, 1, 1};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

enum : std::uint8_t { kDisposeNone = 0, kDisposeToClear = 1 };

// fcTL: the frame's region, replacing (not blending with) what is there.
std::vector<std::uint8_t> FrameControl(std::uint32_t sequence, const Region& r, int delayMs, std::uint8_t dispose) {
    std::vector<std::uint8_t> c;
    PutBig32(c, sequence);
    PutBig32(c, static_cast<std::uint32_t>(r.width));
    PutBig32(c, static_cast<std::uint32_t>(r.height));
    PutBig32(c, static_cast<std::uint32_t>(r.x));
    PutBig32(c, static_cast<std::uint32_t>(r.y));
    PutBig16(c, static_cast<std::uint16_t>(delayMs));
    PutBig16(c, 1000);
    c.push_back(dispose);
    c.push_back(0);  // blend: source
    return c;
}

// A frame's PNG: the whole RGBA frame, or its indices cropped to the region.
bool EncodeFrame(const imagelib::Picture& frame, const SharedPalette* palette, const Region& region,
                 const std::vector<std::uint8_t>& indices, PngParts& parts, std::string& why) {
    PngImage image{region.width, region.height, {}, palette};
    for (int y = region.y; y < region.y + region.height; ++y)
        image.rows.push_back(palette ? const_cast<png_bytep>(&indices[static_cast<size_t>(y) * frame.width + region.x])
                                     : const_cast<png_bytep>(frame.pixel(0, y)));
    std::vector<std::uint8_t> png;
    if (!EncodePng(image, png, why)) return false;
    if (!SplitPng(png, parts)) {
        why = "the PNG encoder wrote no image";
        return false;
    }
    return true;
}

}  // namespace

bool EncodeApng(const FrameSource& frames, int count, int delayMs, const ApngSettings& settings,
                std::vector<std::uint8_t>& bytes, std::string& why) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const bool indexed = settings.colours != 0;
    if (count <= 0 || (indexed && (settings.colours < 2 || settings.colours > 256))) {
        why = "the APNG encoder was given no frames or a palette size outside 2 to 256";
        return false;
    }
    struct Encoded {
        PngParts parts;
        Region region;
        std::string why;
    };
    std::vector<Encoded> encoded(static_cast<size_t>(count));
    // Each frame's image data is a zlib stream of its own: made apart, over the pool.
    if (!indexed) {
        ParallelFor(count, [&](int k) {
            Encoded& e = encoded[static_cast<size_t>(k)];
            const imagelib::Picture frame = frames(k);
            e.region = {0, 0, frame.width, frame.height};
            EncodeFrame(frame, nullptr, e.region, {}, e.parts, e.why);
        });
    } else {
        // One palette for all frames, so every frame needs them all first.
        std::vector<imagelib::Picture> all(static_cast<size_t>(count));
        ParallelFor(count, [&](int k) { all[static_cast<size_t>(k)] = frames(k); });
        std::vector<const imagelib::Picture*> pointers;
        for (const imagelib::Picture& f : all) pointers.push_back(&f);
        const SharedPalette palette(pointers, settings.colours);
        const int clear = palette.entries()[0].a == 0 ? 0 : -1;
        ParallelFor(count, [&](int k) {
            Encoded& e = encoded[static_cast<size_t>(k)];
            const imagelib::Picture& frame = all[static_cast<size_t>(k)];
            const std::vector<std::uint8_t> indices = palette.map(frame);
            // The first frame is the still picture too, so it fills the canvas;
            // the others only what they show, the canvas cleared after each.
            e.region = k == 0 ? Region{0, 0, frame.width, frame.height}
                              : ShownRegion(indices, frame.width, frame.height, clear);
            EncodeFrame(frame, &palette, e.region, indices, e.parts, e.why);
        });
    }
    std::vector<std::uint8_t> out(kSignature, kSignature + 8);
    std::uint32_t sequence = 0;
    for (int k = 0; k < count; ++k) {
        const Encoded& e = encoded[static_cast<size_t>(k)];
        if (!e.why.empty()) {
            why = e.why;
            return false;
        }
        if (k == 0) {
            PutChunk(out, "IHDR", e.parts.header);
            std::vector<std::uint8_t> control;
            PutBig32(control, static_cast<std::uint32_t>(count));
            PutBig32(control, 0);  // plays: for ever
            PutChunk(out, "acTL", control);
            if (indexed) PutChunk(out, "PLTE", e.parts.palette);
            if (!e.parts.alphas.empty()) PutChunk(out, "tRNS", e.parts.alphas);
        }
        PutChunk(out, "fcTL", FrameControl(sequence++, e.region, delayMs, indexed ? kDisposeToClear : kDisposeNone));
        if (k == 0) {
            // The first frame is also the still picture other readers show.
            PutChunk(out, "IDAT", e.parts.data);
        } else {
            std::vector<std::uint8_t> frameData;
            PutBig32(frameData, sequence++);
            frameData.insert(frameData.end(), e.parts.data.begin(), e.parts.data.end());
            PutChunk(out, "fdAT", frameData);
        }
    }
    PutChunk(out, "IEND", {});
    bytes = std::move(out);
    return true;
}

}  // namespace pivra
