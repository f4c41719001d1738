// imagecmd_probe morphex|layerik ARGS...: one command in a process of its own. Exits with its result,
// its reason on standard error, this process's own peak resident size (VmHWM, KiB) on standard output.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../ImageLibraries.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const auto& library = std::string(argv[1]) == "layerik" ? pivra::test::layerik() : pivra::test::morphex();
    const int result = library.run(std::vector<std::string>(argv + 2, argv + argc));
    std::fputs(library.lastError().c_str(), stderr);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::stol(line.substr(6)));
    return result;
}
