#include "PictureCheck.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "imagelib/ImageFormat.h"

namespace pivra {

bool CheckPictureFile(const std::string& path, std::string& why) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        why = "no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(path, ec)) {
        why = "not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = std::strerror(errno);
        return false;
    }
    // Enough for every signature the image libraries know.
    std::uint8_t head[32] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (imagelib::sniffFormat(head, got)) return true;
    why = got == 0 ? "the file is empty" : "not a JPEG, PNG, GIF or BMP picture";
    return false;
}

}  // namespace pivra
