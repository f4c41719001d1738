#pragma once
// The picture formats the commands read: the five they also write, and the
// photo formats of phones and the web, read only.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pivra::imagelib {

enum class ImageFormat { Jpeg, Png, Gif, Bmp, Miff, Webp, Heif, Avif, Tiff };

// The formats a user's picture may be in, for messages.
inline constexpr const char* kPictureFormatNames = "JPEG, PNG, GIF, BMP, WebP, HEIC, AVIF or TIFF";

// Recognised by the leading bytes only; nullopt for anything else.
std::optional<ImageFormat> sniffFormat(const std::uint8_t* bytes, std::size_t size);

// From the output name's extension, case-insensitive; nullopt if unknown.
std::optional<ImageFormat> formatForOutputName(const std::string& path);

// The ImageMagick coder name for the format ("JPEG", "PNG", ...).
const char* magickCoderName(ImageFormat format);

}  // namespace pivra::imagelib
