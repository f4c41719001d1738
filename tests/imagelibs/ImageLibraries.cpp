#include "ImageLibraries.h"

#include <dlfcn.h>
#include <stdexcept>

namespace pivra::test {

ImageCommandLibrary::ImageCommandLibrary(const std::string& libraryFile, const std::string& entry,
                                         const std::string& argv0)
    : argv0_(argv0) {
    const std::string path = std::string(PIVRA_BIN_DIR) + "/" + libraryFile;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("dlopen " + path + ": " + dlerror());
    entry_ = reinterpret_cast<int (*)(int, char**)>(dlsym(handle_, entry.c_str()));
    lastError_ = reinterpret_cast<const char* (*)()>(dlsym(handle_, (entry + "LastError").c_str()));
    if (!entry_ || !lastError_) {
        dlclose(handle_);
        throw std::runtime_error("missing entry points in " + path);
    }
}

ImageCommandLibrary::~ImageCommandLibrary() { dlclose(handle_); }

int ImageCommandLibrary::run(const std::vector<std::string>& args) const {
    // Writable copies, as the bridge hands over its own argument block.
    std::vector<std::vector<char>> storage;
    storage.emplace_back(argv0_.begin(), argv0_.end());
    for (const std::string& a : args) storage.emplace_back(a.begin(), a.end());
    std::vector<char*> argv;
    for (auto& s : storage) {
        s.push_back('\0');
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    return entry_(static_cast<int>(storage.size()), argv.data());
}

std::string ImageCommandLibrary::lastError() const { return lastError_(); }

const ImageCommandLibrary& morphex() {
    static ImageCommandLibrary library("libMorphex.so", "fnMorphex", "Morphex.dll");
    return library;
}

const ImageCommandLibrary& layerik() {
    static ImageCommandLibrary library("libLayerik.so", "fnLayerik", "Layerik.dll");
    return library;
}

}  // namespace pivra::test
