#include "LargePictures.h"

#include <webp/decode.h>

#include <cstring>

#include "DecodeLimits.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

bool tooLargeToDecodeWhole(const std::vector<std::uint8_t>& bytes, ImageFormat format, const std::string& name) {
    long long width = 0, height = 0;
    std::size_t bytesPerPixel = kMagickDecodeBytesPerPixel;
    if (format == ImageFormat::Png) {
        // The header's two sides, right after the signature and IHDR's length and type.
        if (bytes.size() < 24 || std::memcmp(&bytes[12], "IHDR", 4) != 0) return false;
        const auto big32 = [&](std::size_t at) {
            return static_cast<long long>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
        };
        width = big32(16), height = big32(20);
    } else if (format == ImageFormat::Tiff) {
        tiffClaimedSize(bytes, name, width, height);
    } else if (format == ImageFormat::Gif) {
        // The first frame's own size, in its image descriptor after the
        // screen, its colour table and any extensions.
        const auto little16 = [&](std::size_t at) { return static_cast<long long>(bytes[at] | bytes[at + 1] << 8); };
        if (bytes.size() < 13) return false;
        std::size_t at = 13 + ((bytes[10] & 0x80) ? 3u << ((bytes[10] & 7) + 1) : 0);
        while (at + 2 < bytes.size() && bytes[at] == 0x21) {
            at += 2;
            while (at < bytes.size() && bytes[at]) at += bytes[at] + 1u;
            ++at;
        }
        if (at + 9 > bytes.size() || bytes[at] != 0x2C) return false;
        width = little16(at + 5), height = little16(at + 7);
        bytesPerPixel = 1 + 4;
    } else if (format == ImageFormat::Webp) {
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK || features.has_animation) return false;
        width = features.width, height = features.height;
        bytesPerPixel = kWebpStillBytesPerPixel;
    } else {
        return false;
    }
    checkSize(width, height, name);
    return static_cast<unsigned long long>(width * height) * bytesPerPixel > kMaxDecodeBytes;
}

}  // namespace pivra::imagelib
