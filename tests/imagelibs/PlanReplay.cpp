// imagelibs_plan_replay CALLS SNAPSHOT_DIR [--times]: replays `pivra-make --trace` lines (tab-separated, argv[0]
// naming the library) through the real libraries, keeping each call's output as NNN-<name> right after
// the call, since later calls overwrite some files; --times prints each call's milliseconds. Exit 1 at
// the first failing call.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ImageLibraries.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const bool times = argc > 3 && std::string(argv[3]) == "--times";
    const fs::path snapshots = argv[2];
    fs::create_directories(snapshots);
    std::ifstream calls(argv[1]);
    int number = 0;
    for (std::string line; std::getline(calls, line);) {
        std::vector<std::string> args;
        std::stringstream in(line);
        for (std::string field; std::getline(in, field, '\t');) args.push_back(field);
        if (args.size() < 3) continue;
        const auto& library = args[0] == "Morphex.dll" ? pivra::test::morphex() : pivra::test::layerik();
        args.erase(args.begin());
        const fs::path output = args.back();
        fs::create_directories(output.parent_path());
        const auto start = std::chrono::steady_clock::now();
        const int result = library.run(args);
        const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
        if (result != 0) {
            std::fprintf(stderr, "call %d failed: %s\n", number, library.lastError().c_str());
            return 1;
        }
        char name[16];
        std::snprintf(name, sizeof name, "%03d-", number++);
        fs::copy_file(output, snapshots / (name + output.filename().string()), fs::copy_options::overwrite_existing);
        if (times) std::printf("%8.2f ms  %s\n", ms.count(), line.c_str());
    }
    return 0;
}
