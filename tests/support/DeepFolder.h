#pragma once
// A folder whose path is exactly `length` bytes long, made under `under` from
// nested folders (one name holds at most 255 bytes).
#include <filesystem>
#include <stdexcept>
#include <string>

namespace pivra::test {

inline std::string DeepFolder(const std::string& under, std::size_t length) {
    std::string path = under;
    if (path.size() + 2 > length) throw std::invalid_argument("DeepFolder: " + under + " is already that long");
    while (path.size() < length) {
        // Never leave a remainder too short for a name of its own.
        const std::size_t left = length - path.size() - 1;
        const std::size_t name = left > 200 ? (left - 200 < 2 ? 150 : 200) : left;
        path += "/" + std::string(name, 'd');
    }
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace pivra::test
