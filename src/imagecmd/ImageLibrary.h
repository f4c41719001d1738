#pragma once
// Binding to one image command library: loaded on the first call by file
// name (the application folder first, then the system's search), its entry
// point looked up by name and kept for the life of the object.
#include <mutex>
#include <string>
#include <type_traits>

#include "imagelib/ImageCommandAbi.h"

namespace pivra {

class ImageLibrary {
public:
    // fileName: e.g. "libMorphex.so"; entry: e.g. "fnMorphex". The library's
    // "LastError" export (entry + "LastError") is looked up too, if present.
    ImageLibrary(std::string folder, std::string fileName, std::string entry);
    ~ImageLibrary();
    ImageLibrary(const ImageLibrary&) = delete;
    ImageLibrary& operator=(const ImageLibrary&) = delete;

    // Loads on first use (from any thread); false when the library or its entry point is missing.
    bool load();
    // Calls the entry point; -1 without a call when the library is unavailable.
    int call(int argc, char** argv);

    // Why load() failed, naming the file.
    const std::string& loadError() const { return loadError_; }
    // The library's own one-line reason for its last failed command, if it tells.
    std::string lastCommandError() const;
    const std::string& fileName() const { return fileName_; }

private:
    // Both libraries' entry points have one shape.
    using Entry = decltype(&fnMorphex);
    using ErrorEntry = decltype(&fnMorphexLastError);
    static_assert(std::is_same_v<Entry, decltype(&fnLayerik)>);
    static_assert(std::is_same_v<ErrorEntry, decltype(&fnLayerikLastError)>);

    std::string folder_, fileName_, entryName_;
    void* handle_ = nullptr;
    Entry entry_ = nullptr;
    ErrorEntry errorEntry_ = nullptr;
    bool tried_ = false;
    std::mutex loading_;
    std::string loadError_;
};

}  // namespace pivra
