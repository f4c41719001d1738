// A stand-in image command library for the bridge tests: it records every
// call and writes its output file only when told to.
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Call {
    std::vector<std::string> args;
    const void* argv;
    bool tailIsZero;
};

std::vector<Call> calls;
int writeOnCall = 1;  // 0: never; n: only on the n-th call of a command
int callsOfThisCommand = 0;

void record(int argc, char** argv) {
    Call c{{}, argv, true};
    for (int i = 0; i < argc; ++i) c.args.emplace_back(argv[i]);
    for (int i = argc; i < 21; ++i) c.tailIsZero = c.tailIsZero && argv[i] == nullptr;
    calls.push_back(c);
}

int run(int argc, char** argv) {
    record(argc, argv);
    const size_t n = calls.size();
    const bool repeat = n > 1 && calls[n - 2].argv == argv && calls[n - 2].args == calls[n - 1].args;
    callsOfThisCommand = repeat ? callsOfThisCommand + 1 : 1;
    if (writeOnCall == 0 || callsOfThisCommand != writeOnCall) return 1;
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

__attribute__((visibility("default"))) void fakeReset(int writeOn) {
    calls.clear();
    callsOfThisCommand = 0;
    writeOnCall = writeOn;
}
__attribute__((visibility("default"))) int fakeCallCount() { return static_cast<int>(calls.size()); }
__attribute__((visibility("default"))) const std::vector<std::string>* fakeArgs(int call) { return &calls.at(call).args; }
__attribute__((visibility("default"))) const void* fakeArgvAddress(int call) { return calls.at(call).argv; }
__attribute__((visibility("default"))) bool fakeTailIsZero(int call) { return calls.at(call).tailIsZero; }
}
