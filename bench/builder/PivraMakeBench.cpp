// Times whole pivra-make runs at scales 1, 16 and 50 and reports the peak
// memory of each, as a user would see them. Run on demand: make bench.
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds;
    long maxRssKb;
    int exitCode;
};

Run RunOnce(const std::string& bin, int scale, const std::string& out) {
    std::vector<std::string> args = {bin + "/pivra-make", bin + "/sample_head.jpg", bin + "/sample_tail.jpg",
                                     out, "--scale", std::to_string(scale), "--quiet"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Run run{0, 0, -1};
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string bin = argc > 1 ? argv[1] : PIVRA_BIN_DIR;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string out = "/tmp/pivra-bench-" + std::to_string(::getpid()) + ".gif";
    std::printf("%-8s %10s %10s %10s %12s\n", "scale", "min s", "median s", "max s", "peak RSS MB");
    int failures = 0;
    for (int scale : {1, 16, 50}) {
        std::vector<Run> runs;
        for (int i = 0; i < repeats; ++i) runs.push_back(RunOnce(bin, scale, out));
        std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
        long peak = 0;
        for (const Run& r : runs) {
            peak = std::max(peak, r.maxRssKb);
            failures += r.exitCode != 0;
        }
        std::printf("%-8d %10.3f %10.3f %10.3f %12.1f\n", scale, runs.front().seconds,
                    runs[runs.size() / 2].seconds, runs.back().seconds, peak / 1024.0);
    }
    std::remove(out.c_str());
    if (failures) std::printf("%d run(s) failed\n", failures);
    return failures ? 1 : 0;
}
