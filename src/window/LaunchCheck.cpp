#include "window/LaunchCheck.h"

#include <cstdio>
#include <string_view>

#include "platform/MessageBox.h"

namespace pivra {

Launch CheckLaunch(const std::vector<std::string>& argv) {
    Launch launch;
    const std::optional<PivraArgs> args = ParsePivraArgs(argv, launch.problem);
    if (!args) return launch;
    launch.args = *args;
    return launch;
}

std::vector<std::string> LaunchPictures(const PivraArgs& args) {
    std::vector<std::string> files;
    for (const std::string& f : {args.head, args.tail})
        if (!f.empty()) files.push_back(f);
    files.insert(files.end(), args.leftOver.begin(), args.leftOver.end());
    return files;
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

// The usage's two columns as one line each: "--scale N: face size ...".
std::string LaunchProblemBoxText(const std::string& problem) {
    std::string text = "pivra: " + problem + "\n";
    std::string_view usage(kPivraUsage);
    while (!usage.empty()) {
        const size_t end = usage.find('\n');
        std::string_view line = usage.substr(0, end);
        usage = end == std::string_view::npos ? std::string_view() : usage.substr(end + 1);
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) continue;
        const bool continues = start > 4;  // the description's second line
        line.remove_prefix(start);
        std::string one(line);
        if (const size_t gap = one.find("  "); !continues && gap != std::string::npos)
            one = one.substr(0, gap) + ": " + one.substr(one.find_first_not_of(' ', gap));
        if (continues && !text.empty()) text.back() = ' ';
        text += one + "\n";
    }
    return text;
}

void TellLaunchProblem(const std::string& problem, bool messageBox, const std::function<void()>& openMessageBoxes) {
    std::fputs(LaunchProblemText(problem).c_str(), stderr);
    if (!messageBox) return;
    if (openMessageBoxes) openMessageBoxes();
    MessageBox(LaunchProblemBoxText(problem), MB_OK | MB_ICONEXCLAMATION, AppTitle);
}

}  // namespace pivra
