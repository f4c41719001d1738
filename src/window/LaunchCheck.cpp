#include "window/LaunchCheck.h"

#include <cstdio>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

namespace pivra {

Launch CheckLaunch(const std::vector<std::string>& argv) {
    Launch launch;
    const std::optional<PivraArgs> args = ParsePivraArgs(argv, launch.problem);
    if (!args) return launch;
    launch.args = *args;
    const FileSystem fso;
    for (const std::string& picture : {args->head, args->tail})
        if (!picture.empty() && !fso.FileExists(picture)) {
            launch.problem = "no such picture file '" + picture + "'";
            break;
        }
    return launch;
}

bool CanShowMessageBox(const char* display, const char* waylandDisplay, const char* qpaPlatform) {
    if (qpaPlatform != nullptr) {
        const std::string_view platform(qpaPlatform);
        for (std::string_view nowhere : {"offscreen", "minimal"})
            if (platform.substr(0, platform.find(':')) == nowhere) return false;
    }
    return HasDisplay(display, waylandDisplay, qpaPlatform);
}

std::string LaunchProblemText(const std::string& problem) { return "pivra: " + problem + "\n" + kPivraUsage; }

void TellLaunchProblem(const std::string& problem, bool messageBox, const std::function<void()>& openMessageBoxes) {
    const std::string text = LaunchProblemText(problem);
    std::fputs(text.c_str(), stderr);
    if (!messageBox) return;
    if (openMessageBoxes) openMessageBoxes();
    MessageBox(text, MB_OK | MB_ICONEXCLAMATION, AppTitle);
}

}  // namespace pivra
