// A stand-in image command library for the bridge tests: it records every
// call and writes its output file unless told not to.
#include "FakeImageLib.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>

namespace {

FakeImageLibState state;
std::string lastError;
std::mutex calling;  // a build may call from two threads

int run(int argc, char** argv) {
    std::lock_guard<std::mutex> lock(calling);
    FakeCall call{{argv, argv + argc}, true, {}, {}};
    char here[8192];
    if (::getcwd(here, sizeof here)) call.cwd = here;
    if (std::ifstream in{argv[1], std::ios::binary}) call.input.assign(std::istreambuf_iterator<char>(in), {});
    lastError = "fake failure on \"" + std::string(argv[argc - 1]) + "\"";
    for (int i = argc; i < 21; ++i) call.tailIsZero = call.tailIsZero && argv[i] == nullptr;
    state.calls.push_back(call);
    if (!state.writes) return 1;
    if (std::FILE* f = std::fopen(argv[argc - 1], "wb")) std::fputs("out", f), std::fclose(f);
    return 0;
}

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))
EXPORT int fnMorphex(int argc, char** argv) { return run(argc, argv); }
EXPORT int fnLayerik(int argc, char** argv) { return run(argc, argv); }
EXPORT const char* fnMorphexLastError() { return lastError.c_str(); }
EXPORT FakeImageLibState* fakeState() { return &state; }
