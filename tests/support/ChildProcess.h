#pragma once
// A program run in the background whose standard output can be watched line by
// line, so that a test can act (send a signal, look at its folders) at a chosen moment.
#include <memory>
#include <string>
#include <vector>

#include "support/RunProcess.h"

class QProcess;

namespace pivra::test {

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});
    ~ChildProcess();  // kills it if it is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until the program has written at least n lines to its standard
    // output; false when it ended first or a minute went by.
    bool waitForLines(int n);
    void signal(int sig) const;
    // Waits for the end; exitCode is -1 when it did not exit normally.
    ProcessResult finish();

private:
    std::unique_ptr<QProcess> process_;
    std::string out_;
    int lines_ = 0;
};

}  // namespace pivra::test
