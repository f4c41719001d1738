// A stand-in image command library for the bridge tests: it records every
// call and writes its output file only when told to.
#include "FakeImageLib.h"

#include <cstdio>

namespace {

FakeImageLibState state;

int run(int argc, char** argv) {
    FakeCall call{{argv, argv + argc}, argv, true};
    for (int i = argc; i < 21; ++i) call.tailIsZero = call.tailIsZero && argv[i] == nullptr;
    const bool repeat = !state.calls.empty() && state.calls.back().argv == argv && state.calls.back().args == call.args;
    state.callsOfThisCommand = repeat ? state.callsOfThisCommand + 1 : 1;
    state.calls.push_back(call);
    if (state.callsOfThisCommand != state.writeOnCall) return 1;
    if (std::FILE* f = std::fopen(argv[argc - 1], "wb")) std::fputs("out", f), std::fclose(f);
    return 0;
}

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))
EXPORT int fnMorphex(int argc, char** argv) { return run(argc, argv); }
EXPORT int fnLayerik(int argc, char** argv) { return run(argc, argv); }
EXPORT const char* fnMorphexLastError() { return "fake failure"; }
EXPORT FakeImageLibState* fakeState() { return &state; }
