#pragma once
// Loads libMorphex.so / libLayerik.so from the build's bin folder through
// dlopen and calls their exported C functions the way the bridge will.
#include <memory>
#include <string>
#include <vector>

namespace pivra::test {

class ImageCommandLibrary {
public:
    // libraryFile "libMorphex.so", entry "fnMorphex", argv0 "Morphex.dll".
    ImageCommandLibrary(const std::string& libraryFile, const std::string& entry,
                        const std::string& argv0);
    ~ImageCommandLibrary();
    ImageCommandLibrary(const ImageCommandLibrary&) = delete;
    ImageCommandLibrary& operator=(const ImageCommandLibrary&) = delete;

    // Runs argv = {argv0, args..., NULL}; returns the entry point's result.
    int run(const std::vector<std::string>& args) const;
    std::string lastError() const;

private:
    void* handle_ = nullptr;
    int (*entry_)(int, char**) = nullptr;
    const char* (*lastError_)() = nullptr;
    std::string argv0_;
};

// Loaded once per test binary.
const ImageCommandLibrary& morphex();
const ImageCommandLibrary& layerik();

}  // namespace pivra::test
