// A stand-in image command library for the bridge tests: it records every
// call and writes its output file only when told to.
#include "FakeImageLib.h"

#include <cstdio>

namespace {

FakeImageLibState state;

int run(int argc, char** argv) {
    FakeCall call{{}, argv, true};
    for (int i = 0; i < argc; ++i) call.args.emplace_back(argv[i]);
    for (int i = argc; i < 21; ++i) call.tailIsZero = call.tailIsZero && argv[i] == nullptr;
    const bool repeat = !state.calls.empty() && state.calls.back().argv == argv && state.calls.back().args == call.args;
    state.callsOfThisCommand = repeat ? state.callsOfThisCommand + 1 : 1;
    state.calls.push_back(call);
    if (state.callsOfThisCommand != state.writeOnCall) return 1;
    if (std::FILE* f = std::fopen(argv[argc - 1], "wb")) {
        std::fputs("out", f);
        std::fclose(f);
    }
    return 0;
}

}  // namespace

extern "C" {
__attribute__((visibility("default"))) int fnMorphex(int argc, char** argv) { return run(argc, argv); }
__attribute__((visibility("default"))) int fnLayerik(int argc, char** argv) { return run(argc, argv); }
__attribute__((visibility("default"))) const char* fnMorphexLastError() { return "fake failure"; }
__attribute__((visibility("default"))) FakeImageLibState* fakeState() { return &state; }
}
