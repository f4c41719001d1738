#include "PictureCheck.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

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
    char head[14] = {};
    in.read(head, sizeof head);
    const auto starts = [&](const char* magic, size_t n) {
        return static_cast<size_t>(in.gcount()) >= n && std::memcmp(head, magic, n) == 0;
    };
    if (starts("\xFF\xD8\xFF", 3) || starts("\x89PNG\r\n\x1A\n", 8) || starts("GIF87a", 6) ||
        starts("GIF89a", 6) || starts("BM", 2) || starts("id=ImageMagick", 14))
        return true;
    why = in.gcount() == 0 ? "the file is empty" : "not a JPEG, PNG, GIF or BMP picture";
    return false;
}

}  // namespace pivra
