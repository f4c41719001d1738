#pragma once
// The command line of the window program: pivra [HEAD [TAIL]] [--scale N].
#include <optional>
#include <string>
#include <vector>

namespace pivra {

struct PivraArgs {
    std::string head, tail;  // empty: not given
    std::vector<std::string> leftOver;  // pictures after the second, not used
    int scale = 16;
    bool help = false;
    bool version = false;
};

// Parses argv[1..] (Qt's own options already taken out); on a mistake
// returns nothing and sets error to one line. After "--" every argument is
// a picture name; a third and later ones (a file manager's "Open With" on
// several files) are kept in leftOver.
std::optional<PivraArgs> ParsePivraArgs(const std::vector<std::string>& args, std::string& error);

extern const char* const kPivraUsage;

// Whether Qt has somewhere to show the window: a display, or a platform asked for.
bool HasDisplay(const char* display, const char* waylandDisplay, const char* qpaPlatform);

}  // namespace pivra
