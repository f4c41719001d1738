#pragma once
// The window program's command line, checked before any window opens, and
// where a command line that cannot be used is told: a desktop launch has no
// terminal to read standard error in, so there it is a message box. A
// picture that is missing is no reason to stop: the window opens and says so.
#include <functional>
#include <string>
#include <vector>

#include "window/PivraArgs.h"

namespace pivra {

struct Launch {
    PivraArgs args;
    std::string problem;  // one line; empty when the window can start with args
};

// A mistake in the options.
Launch CheckLaunch(const std::vector<std::string>& argv);

// Every picture named, in order: head, tail, then any left over.
std::vector<std::string> LaunchPictures(const PivraArgs& args);

// Whether a message box would be seen: a display, and not a platform that
// draws nowhere ("offscreen", "minimal"), where a box would only wait for a
// click that never comes.
bool CanShowMessageBox(const char* display, const char* waylandDisplay, const char* qpaPlatform);

// What the user is told of a problem: the reason, then the usage. The
// message box's font is proportional, so its usage has no columns.
std::string LaunchProblemText(const std::string& problem);
std::string LaunchProblemBoxText(const std::string& problem);

// On standard error always (first, so it is there even if the display then
// fails), and through the message-box layer too when messageBox says so;
// openMessageBoxes readies that layer (the window system) just before.
void TellLaunchProblem(const std::string& problem, bool messageBox,
                       const std::function<void()>& openMessageBoxes = {});

}  // namespace pivra
