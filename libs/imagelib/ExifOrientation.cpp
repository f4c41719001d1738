#include "ExifOrientation.h"

#include <cstring>

namespace pivra::imagelib {

namespace {

constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kShortType = 3;

unsigned bigEndian16(const std::uint8_t* p) { return unsigned{p[0]} << 8 | p[1]; }
std::size_t bigEndian32(const std::uint8_t* p) {
    return std::size_t{p[0]} << 24 | std::size_t{p[1]} << 16 | std::size_t{p[2]} << 8 | p[3];
}
std::size_t littleEndian32(const std::uint8_t* p) {
    return std::size_t{p[3]} << 24 | std::size_t{p[2]} << 16 | std::size_t{p[1]} << 8 | p[0];
}

// A JPEG's APP1 segments up to the first scan; the first "Exif" one counts.
int fromJpeg(const std::uint8_t* bytes, std::size_t size) {
    std::size_t at = 2;
    while (at + 4 <= size && bytes[at] == 0xFF) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;
        const std::size_t length = bigEndian16(bytes + at + 2);
        if (length < 2 || at + 2 + length > size) break;
        const std::uint8_t* body = bytes + at + 4;
        if (marker == 0xE1 && length >= 8 && std::memcmp(body, "Exif\0\0", 6) == 0)
            return orientationInTiffBlock(body + 6, length - 8);
        at += 2 + length;
    }
    return 1;
}

// PNG chunks before the image data; eXIf is a bare TIFF block.
int fromPng(const std::uint8_t* bytes, std::size_t size) {
    std::size_t at = 8;
    while (at + 12 <= size) {
        const std::size_t length = bigEndian32(bytes + at);
        const std::uint8_t* type = bytes + at + 4;
        if (length > size - at - 12 || std::memcmp(type, "IDAT", 4) == 0) break;
        if (std::memcmp(type, "eXIf", 4) == 0) return orientationInTiffBlock(bytes + at + 8, length);
        at += 12 + length;
    }
    return 1;
}

// RIFF chunks after "WEBP"; some writers keep JPEG's "Exif\0\0" in front.
int fromWebp(const std::uint8_t* bytes, std::size_t size) {
    std::size_t at = 12;
    while (at + 8 <= size) {
        const std::size_t length = littleEndian32(bytes + at + 4);
        if (length > size - at - 8) break;
        const std::uint8_t* body = bytes + at + 8;
        if (std::memcmp(bytes + at, "EXIF", 4) == 0) {
            if (length >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) return orientationInTiffBlock(body + 6, length - 6);
            return orientationInTiffBlock(body, length);
        }
        at += 8 + length + (length & 1);  // chunks are padded to even sizes
    }
    return 1;
}

}  // namespace

int orientationInTiffBlock(const std::uint8_t* block, std::size_t size) {
    if (size < 8) return 1;
    const bool little = std::memcmp(block, "II*\0", 4) == 0;
    if (!little && std::memcmp(block, "MM\0*", 4) != 0) return 1;
    auto read16 = [&](std::size_t at) { return little ? unsigned{block[at + 1]} << 8 | block[at] : bigEndian16(block + at); };
    auto read32 = [&](std::size_t at) { return little ? littleEndian32(block + at) : bigEndian32(block + at); };
    const std::size_t ifd = read32(4);
    if (ifd > size || size - ifd < 2) return 1;
    const std::size_t entries = read16(ifd);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * 12;
        if (entry > size || size - entry < 12) break;
        if (read16(entry) != kOrientationTag) continue;
        if (read16(entry + 2) != kShortType || read32(entry + 4) != 1) return 1;
        const unsigned value = read16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

int exifOrientation(const std::uint8_t* bytes, std::size_t size, ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg: return fromJpeg(bytes, size);
        case ImageFormat::Png: return fromPng(bytes, size);
        case ImageFormat::Webp: return fromWebp(bytes, size);
        default: return 1;
    }
}

}  // namespace pivra::imagelib
