#pragma once
// Runs a program to completion and captures what it printed.
#include <string>
#include <vector>

namespace pivra::test {

struct ProcessResult {
    int exitCode = -1;  // -1: did not exit normally
    std::string out, err;
};

// extraEnv entries are "NAME=value", added to this process's environment.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});

}  // namespace pivra::test
