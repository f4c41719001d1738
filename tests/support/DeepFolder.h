#pragma once
// A folder whose path is exactly `length` bytes long, made under `under` from
// nested folders (one name holds at most 255 bytes).
#include <filesystem>
#include <stdexcept>
#include <string>

namespace pivra::test {

inline std::string DeepFolder(const std::string& under, std::size_t length) {
    if (under.size() + 2 > length) throw std::invalid_argument("DeepFolder: " + under + " is already that long");
    std::string path = under;
    for (std::size_t left; (left = length - path.size()) > 0;)  // never a remainder too short for a name of its own
        path += "/" + std::string(left > 201 ? (left - 201 < 2 ? 150 : 200) : left - 1, 'd');
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace pivra::test
