#pragma once
// libMorphex.so / libLayerik.so from the build's bin folder, called through dlopen as the bridge does.
#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace pivra::test {

class ImageCommandLibrary {
public:
    ImageCommandLibrary(const std::string& file, const std::string& entry, std::string argv0) : argv0_(std::move(argv0)) {
        const std::string path = std::string(PIVRA_BIN_DIR) + "/" + file;
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error("dlopen " + path + ": " + dlerror());
        entry_ = reinterpret_cast<int (*)(int, char**)>(dlsym(handle_, entry.c_str()));
        lastError_ = reinterpret_cast<const char* (*)()>(dlsym(handle_, (entry + "LastError").c_str()));
        if (!entry_ || !lastError_) throw std::runtime_error("missing entry points in " + path);
    }
    ImageCommandLibrary(const ImageCommandLibrary&) = delete;
    ImageCommandLibrary& operator=(const ImageCommandLibrary&) = delete;
    ~ImageCommandLibrary() { dlclose(handle_); }

    // argv = {argv0, args..., NULL}, in writable copies as the bridge hands over.
    int run(std::vector<std::string> args) const {
        args.insert(args.begin(), argv0_);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        return entry_(int(args.size()), argv.data());
    }
    std::string lastError() const { return lastError_(); }

private:
    void* handle_;
    int (*entry_)(int, char**);
    const char* (*lastError_)();
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
