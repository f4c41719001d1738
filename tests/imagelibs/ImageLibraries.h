#pragma once
// libMorphex.so / libLayerik.so from the build's bin folder, called through dlopen as the bridge does.
#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace pivra::test {

class ImageCommandLibrary {
public:
    ImageCommandLibrary(const std::string& file, const std::string& entry, const std::string& argv0) : argv0_(argv0) {
        const std::string path = std::string(PIVRA_BIN_DIR) + "/" + file;
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error("dlopen " + path + ": " + dlerror());
        entry_ = reinterpret_cast<int (*)(int, char**)>(dlsym(handle_, entry.c_str()));
        lastError_ = reinterpret_cast<const char* (*)()>(dlsym(handle_, (entry + "LastError").c_str()));
        if (!entry_ || !lastError_) throw std::runtime_error("missing entry points in " + path);
    }
    ~ImageCommandLibrary() { dlclose(handle_); }
    ImageCommandLibrary(const ImageCommandLibrary&) = delete;
    ImageCommandLibrary& operator=(const ImageCommandLibrary&) = delete;

    // argv = {argv0, args..., NULL}, in writable copies as the bridge hands over.
    int run(const std::vector<std::string>& args) const {
        std::vector<std::string> copies = {argv0_};
        copies.insert(copies.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& copy : copies) argv.push_back(copy.data());
        argv.push_back(nullptr);
        return entry_(int(copies.size()), argv.data());
    }
    std::string lastError() const { return lastError_(); }

private:
    void* handle_ = nullptr;
    int (*entry_)(int, char**) = nullptr;
    const char* (*lastError_)() = nullptr;
    std::string argv0_;
};

inline const ImageCommandLibrary& morphex() {
    static ImageCommandLibrary library("libMorphex.so", "fnMorphex", "Morphex.dll");
    return library;
}
inline const ImageCommandLibrary& layerik() {
    static ImageCommandLibrary library("libLayerik.so", "fnLayerik", "Layerik.dll");
    return library;
}

}  // namespace pivra::test
