// A whole libMorphex command on a fuzzed input file, as a build runs it:
// "-geometry 48X48!" to a GIF. Success must leave a 48 x 48 GIF.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "ImageCommandAbi.h"

namespace {

// The files the bytes go through, one pair per process, removed at exit.
struct TempFiles {
    std::string input = "/tmp/pivra-fuzz-morphex-" + std::to_string(::getpid()) + ".in";
    std::string output = "/tmp/pivra-fuzz-morphex-" + std::to_string(::getpid()) + ".gif";
    ~TempFiles() {
        std::remove(input.c_str());
        std::remove(output.c_str());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFiles files;
    std::FILE* f = std::fopen(files.input.c_str(), "wb");
    if (f == nullptr) return 0;
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (!written) return 0;
    std::remove(files.output.c_str());

    std::vector<std::string> args = {"Morphex.dll", files.input, "-geometry", "48X48!", files.output};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (fnMorphex(static_cast<int>(args.size()), argv.data()) == 0) {
        if (fnMorphexLastError()[0] != '\0') __builtin_trap();
        std::FILE* out = std::fopen(files.output.c_str(), "rb");
        if (out == nullptr) __builtin_trap();
        unsigned char head[10] = {};
        const std::size_t got = std::fread(head, 1, sizeof head, out);
        std::fclose(out);
        // GIF89a, then a 48 x 48 screen.
        if (got != sizeof head || head[0] != 'G' || head[6] != 48 || head[7] != 0 || head[8] != 48 || head[9] != 0)
            __builtin_trap();
    } else if (fnMorphexLastError()[0] == '\0') {
        __builtin_trap();  // a failure always says why
    }
    return 0;
}
