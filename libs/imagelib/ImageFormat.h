#pragma once
// The five picture formats the commands read and write.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pivra::imagelib {

enum class ImageFormat { Jpeg, Png, Gif, Bmp, Miff };

// Recognised by the leading bytes only; nullopt for anything else.
std::optional<ImageFormat> sniffFormat(const std::uint8_t* bytes, std::size_t size);

// From the output name's extension, case-insensitive; nullopt if unknown.
std::optional<ImageFormat> formatForOutputName(const std::string& path);

// The ImageMagick coder name for the format ("JPEG", "PNG", ...).
const char* magickCoderName(ImageFormat format);

}  // namespace pivra::imagelib
