#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/WorkerPool.h"
#include "render/AnimationEncoders.h"

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

// Only libpng calls between setjmp and its return, and nothing to destroy.
bool WriteRgbaPng(png_structp png, png_infop info, PngOutput* out, int width, int height, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, AppendPngBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

// One frame as a whole PNG of its own, written by libpng.
bool EncodePng(const imagelib::Picture& frame, std::vector<std::uint8_t>& bytes, std::string& why) {
    PngOutput out;
    PngWriter writer;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, OnPngError, OnPngWarning);
    if (writer.png) writer.info = png_create_info_struct(writer.png);
    if (!writer.info) {
        why = "the PNG encoder could not start";
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(frame.height));
    for (int y = 0; y < frame.height; ++y) rows[static_cast<size_t>(y)] = const_cast<png_bytep>(frame.pixel(0, y));
    if (!WriteRgbaPng(writer.png, writer.info, &out, frame.width, frame.height, rows.data())) {
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

// The IHDR data and the image data (all IDAT chunks joined) of a PNG of ours.
bool SplitPng(const std::vector<std::uint8_t>& png, std::vector<std::uint8_t>& header,
              std::vector<std::uint8_t>& data) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = ReadBig32(&png[at]);
        if (length > png.size() - at - 12) return false;
        const std::uint8_t* body = &png[at + 8];
        if (std::memcmp(&png[at + 4], "IHDR", 4) == 0) header.assign(body, body + length);
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0) data.insert(data.end(), body, body + length);
        at += 12 + length;
    }
    return !header.empty() && !data.empty();
}

// fcTL: the whole canvas, replaced (not blended) by each frame.
std::vector<std::uint8_t> FrameControl(std::uint32_t sequence, int width, int height, int delayMs) {
    std::vector<std::uint8_t> c;
    PutBig32(c, sequence);
    PutBig32(c, static_cast<std::uint32_t>(width));
    PutBig32(c, static_cast<std::uint32_t>(height));
    PutBig32(c, 0);  // x offset
    PutBig32(c, 0);  // y offset
    PutBig16(c, static_cast<std::uint16_t>(delayMs));
    PutBig16(c, 1000);
    c.push_back(0);  // dispose: none
    c.push_back(0);  // blend: source
    return c;
}

}  // namespace

bool EncodeApng(const FrameSource& frames, int count, int delayMs, std::vector<std::uint8_t>& bytes,
                std::string& why) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Each frame's image data is a zlib stream of its own: made apart, over the pool.
    struct Encoded {
        std::vector<std::uint8_t> header, data;
        int width = 0, height = 0;
        std::string why;
    };
    std::vector<Encoded> encoded(static_cast<size_t>(std::max(count, 0)));
    ParallelFor(count, [&](int k) {
        Encoded& e = encoded[static_cast<size_t>(k)];
        const imagelib::Picture frame = frames(k);
        e.width = frame.width, e.height = frame.height;
        std::vector<std::uint8_t> png;
        if (!EncodePng(frame, png, e.why)) return;
        if (!SplitPng(png, e.header, e.data)) e.why = "the PNG encoder wrote no image";
    });
    std::vector<std::uint8_t> out(kSignature, kSignature + 8);
    std::uint32_t sequence = 0;
    for (int k = 0; k < count; ++k) {
        const Encoded& e = encoded[static_cast<size_t>(k)];
        if (!e.why.empty()) {
            why = e.why;
            return false;
        }
        if (k == 0) {
            PutChunk(out, "IHDR", e.header);
            std::vector<std::uint8_t> control;
            PutBig32(control, static_cast<std::uint32_t>(count));
            PutBig32(control, 0);  // plays: for ever
            PutChunk(out, "acTL", control);
        }
        PutChunk(out, "fcTL", FrameControl(sequence++, e.width, e.height, delayMs));
        if (k == 0) {
            // The first frame is also the still picture other readers show.
            PutChunk(out, "IDAT", e.data);
        } else {
            std::vector<std::uint8_t> frameData;
            PutBig32(frameData, sequence++);
            frameData.insert(frameData.end(), e.data.begin(), e.data.end());
            PutChunk(out, "fdAT", frameData);
        }
    }
    PutChunk(out, "IEND", {});
    bytes = std::move(out);
    return true;
}

}  // namespace pivra
