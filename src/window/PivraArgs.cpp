#include "window/PivraArgs.h"

#include "builder/ScaleArgument.h"

namespace pivra {

const char* const kPivraUsage =
    "usage: pivra [HEAD [TAIL]] [--scale N] [--help] [--version]\n"
    "  HEAD, TAIL   pictures (JPEG, PNG, GIF, BMP, WebP, HEIC, AVIF or TIFF) to start\n"
    "               with on the coin's two faces\n"
    "  --scale N    face size 12 x N pixels, N from 1 to 50 (16 when not given)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "Without a display, build from the command line with pivra-make.\n";

std::optional<PivraArgs> ParsePivraArgs(const std::vector<std::string>& args, std::string& error) {
    PivraArgs out;
    std::vector<std::string> pictures;
    bool optionsEnded = false;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            pictures.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a == "--scale" || a.rfind("--scale=", 0) == 0) {
            std::string value;
            if (a == "--scale") {
                if (k + 1 >= args.size()) {
                    error = "--scale needs a number from 1 to 50";
                    return std::nullopt;
                }
                value = args[++k];
            } else {
                value = a.substr(8);
            }
            if (!ParseScaleArgument(value, out.scale)) {
                error = "--scale must be a whole number from 1 to 50, not '" + value + "'";
                return std::nullopt;
            }
        } else {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        }
    }
    for (const std::string& p : pictures)
        if (p.empty()) {
            error = "a picture name is empty";
            return std::nullopt;
        }
    if (!pictures.empty()) out.head = pictures[0];
    if (pictures.size() > 1) out.tail = pictures[1];
    if (pictures.size() > 2) out.leftOver.assign(pictures.begin() + 2, pictures.end());
    return out;
}

bool HasDisplay(const char* display, const char* waylandDisplay, const char* qpaPlatform) {
    for (const char* v : {display, waylandDisplay, qpaPlatform})
        if (v != nullptr && *v != '\0') return true;
    return false;
}

}  // namespace pivra
