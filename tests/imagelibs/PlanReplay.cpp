// Replays image library calls, one per line as `pivra-make --trace` prints
// them (tab-separated, argv[0] naming the library), through the real
// libraries, and keeps a copy of each call's output as it was right after
// the call: later calls overwrite some files (temp1.gif, temp2.gif).
//
//   imagelibs_plan_replay CALLS SNAPSHOT_DIR [--times]
//
// Snapshots are named NNN-<output name>. --times prints each call's
// duration in milliseconds. Exit 1 at the first failing call.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ImageLibraries.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CALLS SNAPSHOT_DIR [--times]\n", argv[0]);
        return 2;
    }
    const bool times = argc > 3 && std::string(argv[3]) == "--times";
    const fs::path snapshots = argv[2];
    fs::create_directories(snapshots);
    std::ifstream calls(argv[1]);
    int number = 0;
    for (std::string line; std::getline(calls, line);) {
        const std::vector<std::string> fields = splitTabs(line);
        if (fields.size() < 3) continue;
        const bool convert = fields[0] == "Morphex.dll";
        const pivra::test::ImageCommandLibrary& library = convert ? pivra::test::morphex() : pivra::test::layerik();
        const std::vector<std::string> args(fields.begin() + 1, fields.end());
        const fs::path output = args.back();
        fs::create_directories(output.parent_path());
        const auto start = std::chrono::steady_clock::now();
        const int result = library.run(args);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (result != 0) {
            std::fprintf(stderr, "call %d failed: %s\n", number, library.lastError().c_str());
            return 1;
        }
        char name[16];
        std::snprintf(name, sizeof name, "%03d-", number);
        fs::copy_file(output, snapshots / (name + output.filename().string()), fs::copy_options::overwrite_existing);
        if (times) std::printf("%8.2f ms  %s\n", ms, line.c_str());
        ++number;
    }
    return 0;
}
