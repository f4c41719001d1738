// A stand-in for one image command library that hands every command to the real
// one, except those whose input ends with one of the ':'-separated suffixes in
// $PIVRA_TEST_FAILING_INPUTS: those fail, writing nothing.
#include <dlfcn.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

using Entry = int (*)(int, char**);

bool Fails(int argc, char** argv) {
    const char* list = std::getenv("PIVRA_TEST_FAILING_INPUTS");
    if (!list || argc < 2) return false;
    const std::string input = argv[1];
    std::istringstream suffixes(list);
    for (std::string s; std::getline(suffixes, s, ':');)
        if (!s.empty() && input.size() >= s.size() && input.compare(input.size() - s.size(), s.size(), s) == 0) return true;
    return false;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int ENTRY(int argc, char** argv) {
    if (Fails(argc, argv)) return 1;
    static const Entry real = [] {
        void* handle = dlopen(REAL_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        return handle ? reinterpret_cast<Entry>(dlsym(handle, ENTRY_NAME)) : nullptr;
    }();
    return real ? real(argc, argv) : 1;
}
