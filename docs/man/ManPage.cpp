// Fills a man page template's %MANUAL% line with the Manual window's
// text, so the page quotes the window word for word:
// pivra-man-page TEMPLATE OUTPUT.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "dialogs/Instructions.h"

namespace {

constexpr char kMarker[] = "%MANUAL%";

// The text as one troff line: a backslash printed as itself, and nothing at
// the start that troff would read as a request.
std::string AsTroffLine(const std::string& text) {
    std::string out = "\\&";
    for (const char c : text) {
        if (c == '\\') out += "\\e";
        else out += c;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pivra-man-page TEMPLATE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "pivra-man-page: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream page;
    bool filled = false;
    for (std::string line; std::getline(in, line);) {
        if (line == kMarker) {
            line = AsTroffLine(pivra::kInstructions);
            filled = true;
        }
        page << line << '\n';
    }
    if (!filled) {
        std::fprintf(stderr, "pivra-man-page: %s has no %s line\n", argv[1], kMarker);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::trunc);
    out << page.str();
    out.close();
    if (!out) {
        std::fprintf(stderr, "pivra-man-page: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
