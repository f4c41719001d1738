#include "FileBacking.h"

#include <cstdlib>
#include <cstring>

#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

}  // namespace

void checkBmpBacking(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    if (bytes.size() < 26) return;
    const std::uint32_t header = le(bytes, 14, 4);
    long long width = 0, height = 0, bits = 0, compression = 0;
    if (header == 12) {  // OS/2: 16-bit sides, never compressed
        width = le(bytes, 18, 2), height = le(bytes, 20, 2), bits = le(bytes, 24, 2);
    } else if (header >= 40 && bytes.size() >= 34) {
        width = static_cast<std::int32_t>(le(bytes, 18, 4));
        height = std::llabs(static_cast<std::int32_t>(le(bytes, 22, 4)));
        bits = le(bytes, 28, 2), compression = le(bytes, 30, 4);
    } else {
        return;
    }
    // Plain rows and bit fields; RLE, JPEG and PNG inside a BMP may be short.
    if (compression != 0 && compression != 3 && compression != 6) return;
    // A claim beyond the limits is refused for that, before its bytes are counted.
    if (width > 0 && height > 0) checkSize(width, height, name);
    if (width <= 0 || height <= 0 || bits <= 0 || bits > 64) return;
    const long long rowBytes = (width * bits + 31) / 32 * 4;
    const long long offset = le(bytes, 10, 4);
    // Some writers leave out the last row's padding.
    const long long needed = offset + rowBytes * (height - 1) + (width * bits + 7) / 8;
    if (static_cast<long long>(bytes.size()) < needed) failEndsEarly(name);
}

void checkPngBacking(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    std::size_t at = 8;  // after the signature
    while (at + 8 <= bytes.size()) {
        const std::uint32_t length =
            std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
        // Length, type, data, CRC.
        if (length > bytes.size() - at - 8 || bytes.size() - at - 8 - length < 4) failEndsEarly(name);
        if (std::memcmp(&bytes[at + 4], "IEND", 4) == 0) return;
        at += 12 + std::size_t{length};
    }
    if (at < bytes.size()) failEndsEarly(name);
}

}  // namespace pivra::imagelib
