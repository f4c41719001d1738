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
    // Enough for every signature the image libraries know (an ISO media
    // file's brands included).
    std::uint8_t head[64] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (imagelib::sniffFormat(head, got)) return true;
    why = got == 0 ? "the file is empty" : std::string("not a ") + imagelib::kPictureFormatNames + " picture";
    return false;
}

}  // namespace pivra
