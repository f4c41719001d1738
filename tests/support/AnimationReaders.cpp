#include "AnimationReaders.h"

#include <png.h>
#include <webp/demux.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "support/FileContents.h"

namespace pivra::test {

namespace {

std::uint32_t Big32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// A PNG's pixels through libpng's simplified reader.
bool DecodePngBytes(const std::vector<std::uint8_t>& bytes, RgbaFrame& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
    image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.assign(PNG_IMAGE_SIZE(image), 0);
    const bool ok = png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace

WebpAnimation ReadWebpAnimation(const std::string& path) {
    WebpAnimation anim;
    const std::string bytes = FileContents(path);
    WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return anim;
    options.color_mode = MODE_RGBA;
    std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(WebPAnimDecoderNew(&data, &options),
                                                                        WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return anim;
    anim.width = static_cast<int>(info.canvas_width);
    anim.height = static_cast<int>(info.canvas_height);
    anim.loopCount = static_cast<int>(info.loop_count);
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        std::uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp)) return anim;
        anim.frames.push_back({anim.width, anim.height, {pixels, pixels + size_t(anim.width) * anim.height * 4}});
        anim.endsMs.push_back(timestamp);
    }
    anim.ok = true;
    return anim;
}

ApngAnimation ReadApng(const std::string& path) {
    ApngAnimation anim;
    const std::string text = FileContents(path);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (!DecodePngBytes(bytes, anim.still)) return anim;
    std::vector<std::uint8_t> header, palette, alphas;  // IHDR's, PLTE's and tRNS's data
    std::vector<std::vector<std::uint8_t>> frameData;
    bool sawIdat = false;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = Big32(&bytes[at]);
        if (length > bytes.size() - at - 12) return anim;
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::uint8_t* body = &bytes[at + 8];
        if (type == "IHDR") header.assign(body, body + length);
        if (type == "PLTE") palette.assign(body, body + length), anim.paletteEntries = int(length / 3);
        if (type == "tRNS") alphas.assign(body, body + length), anim.alphaEntries = int(length);
        if (type == "acTL" && length == 8) anim.frameCount = int(Big32(body)), anim.plays = int(Big32(body + 4));
        if (type == "fcTL" && length == 26) {
            anim.controls.push_back({Big32(body), int(Big32(body + 4)), int(Big32(body + 8)), int(Big32(body + 12)),
                                     int(Big32(body + 16)), body[20] << 8 | body[21], body[22] << 8 | body[23], body[25],
                                     body[24]});
            anim.stillIsFirstFrame = anim.stillIsFirstFrame || (!sawIdat && anim.controls.size() == 1);
            frameData.emplace_back();
        }
        if (type == "IDAT") {
            sawIdat = true;
            if (anim.stillIsFirstFrame && frameData.size() == 1) frameData[0].insert(frameData[0].end(), body, body + length);
        }
        if (type == "fdAT" && length >= 4 && !frameData.empty()) {
            anim.dataSequence.push_back(Big32(body));
            frameData.back().insert(frameData.back().end(), body + 4, body + length);
        }
        at += 12 + length;
    }
    // Each frame's data as the image data of a PNG of its own size.
    if (header.size() != 13) return anim;
    anim.bitDepth = header[8], anim.colourType = header[9];
    for (size_t k = 0; k < frameData.size(); ++k) {
        std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr;
        PutBig32(ihdr, static_cast<std::uint32_t>(anim.controls[k].width));
        PutBig32(ihdr, static_cast<std::uint32_t>(anim.controls[k].height));
        ihdr.insert(ihdr.end(), header.begin() + 8, header.end());
        PutChunk(png, "IHDR", ihdr);
        if (!palette.empty()) PutChunk(png, "PLTE", palette);
        if (!alphas.empty()) PutChunk(png, "tRNS", alphas);
        PutChunk(png, "IDAT", frameData[k]);
        PutChunk(png, "IEND", {});
        anim.frames.emplace_back();
        if (!DecodePngBytes(png, anim.frames.back())) return anim;
    }
    // The frames laid on the canvas as a player does: cleared at the start,
    // each frame replacing or blended over its region, then the region left,
    // cleared, or put back as it was before the frame.
    RgbaFrame canvas{anim.still.width, anim.still.height, std::vector<std::uint8_t>(anim.still.rgba.size(), 0)};
    for (size_t k = 0; k < anim.frames.size(); ++k) {
        const ApngFrameControl& c = anim.controls[k];
        const RgbaFrame& f = anim.frames[k];
        if (c.x + c.width > canvas.width || c.y + c.height > canvas.height) return anim;
        const RgbaFrame before = canvas;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                std::uint8_t* q = &canvas.rgba[(size_t(c.y + y) * canvas.width + c.x + x) * 4];
                const std::uint8_t* p = f.at(x, y);
                if (c.blend == 0 || p[3] == 255) {
                    std::memcpy(q, p, 4);
                } else if (p[3] != 0) {  // "over", in straight alpha
                    const double a = p[3] / 255.0, b = q[3] / 255.0 * (1 - a), out = a + b;
                    for (int i = 0; i < 3; ++i) q[i] = std::uint8_t(std::lround((p[i] * a + q[i] * b) / out));
                    q[3] = std::uint8_t(std::lround(out * 255));
                }
            }
        anim.canvases.push_back(canvas);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const size_t at = (size_t(c.y + y) * canvas.width + c.x + x) * 4;
                if (c.dispose == 1) std::memset(&canvas.rgba[at], 0, 4);
                if (c.dispose == 2) std::memcpy(&canvas.rgba[at], &before.rgba[at], 4);
            }
    }
    anim.ok = true;
    return anim;
}

}  // namespace pivra::test
