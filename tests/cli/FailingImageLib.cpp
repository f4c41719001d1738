// A stand-in for one image command library that hands every command to the
// real one, except those whose input ends with one of the suffixes listed in
// $PIVRA_TEST_FAILING_INPUTS (separated by ':'): those fail, writing nothing.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

namespace {

using Entry = int (*)(int, char**);

bool Fails(int argc, char** argv) {
    const char* list = std::getenv("PIVRA_TEST_FAILING_INPUTS");
    if (!list || argc < 2) return false;
    const std::string input = argv[1], suffixes = list;
    for (std::size_t start = 0; start <= suffixes.size();) {
        std::size_t end = suffixes.find(':', start);
        if (end == std::string::npos) end = suffixes.size();
        const std::string suffix = suffixes.substr(start, end - start);
        if (!suffix.empty() && input.size() >= suffix.size() &&
            input.compare(input.size() - suffix.size(), suffix.size(), suffix) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

int Forward(int argc, char** argv) {
    if (Fails(argc, argv)) return 1;
    static Entry real = [] {
        void* handle = dlopen(REAL_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        return handle ? reinterpret_cast<Entry>(dlsym(handle, ENTRY_NAME)) : nullptr;
    }();
    return real ? real(argc, argv) : 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int ENTRY(int argc, char** argv) { return Forward(argc, argv); }
