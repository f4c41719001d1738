#pragma once
// A command run through imagecmd_probe in a child process, with what the
// child cost: its peak resident size, as it reports it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" char** environ;

namespace pivra::test {

struct ProbeResult {
    int exitCode = -1;  // -1: did not exit normally
    std::string reason;
    long peakKiB = -1;  // -1: not reported
};

inline ProbeResult RunProbe(const std::string& library, const std::vector<std::string>& args,
                            const std::string& errorFile) {
    std::vector<std::string> words = {std::string(PIVRA_TEST_DIR) + "/imagecmd_probe", library};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string peakFile = errorFile + ".peak";
    posix_spawn_file_actions_addopen(&actions, 1, peakFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ProbeResult result;
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return result;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    std::ifstream(peakFile) >> result.peakKiB;
    std::ifstream in(errorFile);
    result.reason.assign(std::istreambuf_iterator<char>(in), {});
    return result;
}

}  // namespace pivra::test
