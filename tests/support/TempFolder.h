#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <unistd.h>

#include <filesystem>
#include <string>

namespace pivra::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
        : path_(std::filesystem::temp_directory_path() /
                ("pivra-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_, ec_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string str() const { return path_.string(); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    static inline int counter = 0;
    std::filesystem::path path_;
    std::error_code ec_;
};

}  // namespace pivra::test
