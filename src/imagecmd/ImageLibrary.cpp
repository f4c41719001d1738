#include "ImageLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace pivra {

namespace {

// The image libraries carry ImageMagick, whose process-wide state cannot be
// torn down and set up again: a closed handle leaves them mapped.
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;

}  // namespace

ImageLibrary::ImageLibrary(std::string folder, std::string fileName, std::string entry)
    : folder_(std::move(folder)), fileName_(std::move(fileName)), entryName_(std::move(entry)) {
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

ImageLibrary::~ImageLibrary() {
    if (handle_) dlclose(handle_);
}

bool ImageLibrary::load() {
    std::lock_guard<std::mutex> lock(loading_);
    if (tried_) return entry_ != nullptr;
    tried_ = true;
    std::string firstError;
    if (!folder_.empty()) {
        handle_ = dlopen((folder_ + fileName_).c_str(), kOpenFlags);
        if (!handle_) firstError = dlerror();
    }
    if (!handle_) handle_ = dlopen(fileName_.c_str(), kOpenFlags);
    if (!handle_) {
        const char* why = dlerror();
        loadError_ = "Cannot load the image library " + fileName_ + ": " +
                     (firstError.empty() ? std::string(why ? why : "not found") : firstError);
        return false;
    }
    entry_ = reinterpret_cast<Entry>(dlsym(handle_, entryName_.c_str()));
    if (!entry_) {
        loadError_ = "The image library " + fileName_ + " has no entry point " + entryName_;
        dlclose(handle_);
        handle_ = nullptr;
        return false;
    }
    errorEntry_ = reinterpret_cast<ErrorEntry>(dlsym(handle_, (entryName_ + "LastError").c_str()));
    return true;
}

int ImageLibrary::call(int argc, char** argv) {
    if (!load()) return -1;
    return entry_(argc, argv);
}

std::string ImageLibrary::lastCommandError() const {
    if (!errorEntry_) return {};
    const char* text = errorEntry_();
    return text ? text : "";
}

}  // namespace pivra
