#pragma once
// A build's steps in their fixed order: image commands, and what is done
// between them on the caller's thread (the bar, the yields to the window,
// the checks). The commands run on the worker pool as soon as their files
// allow: a command starts once every file it reads is written, and no earlier
// command still reads or writes a file it writes. Everything else happens in
// the steps' order, each once the commands before it are done, and those
// commands' traces and failures are taken in that order too: the bar, the
// yields and the trace are those of a run on one thread.
#include <functional>
#include <vector>

#include "imagecmd/ImageCommands.h"

namespace pivra {

class BuildSteps {
public:
    explicit BuildSteps(ImageCommands& commands) : commands_(commands) {}

    // While this lives, the commands' Run… calls become steps.
    class Recording {
    public:
        explicit Recording(BuildSteps& steps);
        ~Recording();
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;

    private:
        BuildSteps& steps_;
    };

    // A step on the caller's thread; false ends the run there.
    void then(std::function<bool()> step);

    // Runs the steps over `threads` threads (ThreadBudget() when 0; with one
    // they all run in order on the caller). False when a step ended the run:
    // commands not yet started are dropped, and the ones running are waited for.
    bool run(int threads = 0);

private:
    struct Step {
        int command = -1;  // index into commands_, or -1 for `action`
        std::function<bool()> action;
    };
    ImageCommands& commands_;
    std::vector<PreparedCommand> prepared_;
    std::vector<Step> steps_;
};

}  // namespace pivra
