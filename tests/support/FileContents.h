#pragma once
// A whole file's bytes, empty when it cannot be read.
#include <fstream>
#include <iterator>
#include <string>

namespace pivra::test {

inline std::string FileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace pivra::test
