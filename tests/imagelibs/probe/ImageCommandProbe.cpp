// Runs one image library command in a process of its own, so a test can see
// what it costs (peak memory) and that it ends: imagecmd_probe morphex|layerik ARGS...
// Exit status: the command's result; its reason goes to standard error, and
// this process's peak resident size (VmHWM, in KiB) to standard output.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../ImageLibraries.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string which = argv[1];
    const pivra::test::ImageCommandLibrary& library =
        which == "layerik" ? pivra::test::layerik() : pivra::test::morphex();
    const std::vector<std::string> args(argv + 2, argv + argc);
    const int result = library.run(args);
    std::fputs(library.lastError().c_str(), stderr);
    // Our own figure, not wait4's: that one also counts the parent's memory
    // when the child was started by vfork.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::stol(line.substr(6)));
    return result;
}
