#include "ImageFormat.h"

#include <cctype>
#include <cstring>

namespace pivra::imagelib {

namespace {

bool startsWith(const std::uint8_t* bytes, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(bytes, magic, n) == 0;
}

// An ISO media file (HEIF, AVIF) opens with its "ftyp" box: size, type, the
// major brand, a minor version, then compatible brands.
std::optional<ImageFormat> sniffFileType(const std::uint8_t* bytes, std::size_t size) {
    if (size < 16 || std::memcmp(bytes + 4, "ftyp", 4) != 0) return std::nullopt;
    const std::size_t boxSize = std::size_t{bytes[0]} << 24 | std::size_t{bytes[1]} << 16 | std::size_t{bytes[2]} << 8 | bytes[3];
    const std::size_t end = boxSize < size ? boxSize : size;
    bool heif = false;
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        const char* brand = reinterpret_cast<const char*>(bytes + at);
        for (const char* avif : {"avif", "avis"})
            if (std::memcmp(brand, avif, 4) == 0) return ImageFormat::Avif;
        for (const char* still : {"heic", "heix", "heim", "heis", "mif1"})
            heif = heif || std::memcmp(brand, still, 4) == 0;
    }
    if (heif) return ImageFormat::Heif;
    return std::nullopt;
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
    if (startsWith(bytes, size, "RIFF", 4) && size >= 12 && std::memcmp(bytes + 8, "WEBP", 4) == 0)
        return ImageFormat::Webp;
    // Classic and big TIFF, either byte order.
    for (const char* tiff : {"II*\0", "MM\0*", "II+\0", "MM\0+"})
        if (startsWith(bytes, size, tiff, 4)) return ImageFormat::Tiff;
    return sniffFileType(bytes, size);
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
        case ImageFormat::Webp: return "WEBP";
        case ImageFormat::Heif: return "HEIC";
        case ImageFormat::Avif: return "AVIF";
        case ImageFormat::Tiff: return "TIFF";
    }
    return "";
}

}  // namespace pivra::imagelib
