#include "ImageFormat.h"

#include <cctype>
#include <cstring>

namespace pivra::imagelib {

namespace {

bool startsWith(const std::uint8_t* bytes, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(bytes, magic, n) == 0;
}

}  // namespace

std::optional<ImageFormat> sniffFormat(const std::uint8_t* bytes, std::size_t size) {
    if (startsWith(bytes, size, "\xFF\xD8\xFF", 3)) return ImageFormat::Jpeg;
    if (startsWith(bytes, size, "\x89PNG\r\n\x1A\n", 8)) return ImageFormat::Png;
    if (startsWith(bytes, size, "GIF87a", 6) || startsWith(bytes, size, "GIF89a", 6))
        return ImageFormat::Gif;
    // "BM" alone is too weak: also require a header long enough for a BMP.
    if (startsWith(bytes, size, "BM", 2) && size >= 26) return ImageFormat::Bmp;
    if (startsWith(bytes, size, "id=ImageMagick", 14)) return ImageFormat::Miff;
    return std::nullopt;
}

std::optional<ImageFormat> formatForOutputName(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    std::string::size_type dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "jpg" || ext == "jpeg") return ImageFormat::Jpeg;
    if (ext == "png") return ImageFormat::Png;
    if (ext == "gif") return ImageFormat::Gif;
    if (ext == "bmp") return ImageFormat::Bmp;
    if (ext == "mif") return ImageFormat::Miff;
    return std::nullopt;
}

const char* magickCoderName(ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg: return "JPEG";
        case ImageFormat::Png: return "PNG";
        case ImageFormat::Gif: return "GIF";
        case ImageFormat::Bmp: return "BMP";
        case ImageFormat::Miff: return "MIFF";
    }
    return "";
}

}  // namespace pivra::imagelib
