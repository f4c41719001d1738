// Feeds arbitrary bytes to CDIBSection::Load through a file.
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "SilentNotifier.h"
#include "surface/DibSection.h"

namespace {

// The file the bytes go through, one per process, removed at exit.
struct TempFile {
    std::string path = "/tmp/pivra-fuzz-bmp-" + std::to_string(::getpid()) + ".bmp";
    ~TempFile() { std::remove(path.c_str()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static pivra::fuzz::SilentNotifier silent;
    static pivra::ScopedNotifier scope(silent);
    static const TempFile temp;
    const std::string& path = temp.path;

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (!written) return 0;

    pivra::CDIBSection dib;
    if (dib.Load(path)) {
        // Touch every byte: a section shorter than its header says shows up here.
        const std::uint8_t* bits = dib.DIBSectionBitsPtr();
        unsigned sum = 0;
        for (std::int64_t i = 0; i < std::int64_t{dib.BytesPerScanLine()} * dib.dib_height(); ++i) sum += bits[i];
        if (dib.dib_channels() != 3) __builtin_trap();
        (void)sum;
    }
    return 0;
}
