#include "PageColour.h"

#include <cctype>
#include <cstdio>

namespace pivra {

namespace {

struct NamedColour {
    const char* name;
    const char* hex;
};

constexpr NamedColour kBasicColours[] = {
    {"black", "#000000"}, {"silver", "#c0c0c0"}, {"gray", "#808080"},   {"grey", "#808080"},
    {"white", "#ffffff"}, {"maroon", "#800000"}, {"red", "#ff0000"},    {"purple", "#800080"},
    {"fuchsia", "#ff00ff"}, {"green", "#008000"}, {"lime", "#00ff00"}, {"olive", "#808000"},
    {"yellow", "#ffff00"}, {"navy", "#000080"},  {"blue", "#0000ff"},   {"teal", "#008080"},
    {"aqua", "#00ffff"},
};

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::optional<std::string> ParsePageColour(const std::string& text) {
    const std::string name = Lowered(text);
    for (const NamedColour& c : kBasicColours)
        if (name == c.name) return std::string(c.hex);
    if ((name.size() != 4 && name.size() != 7) || name[0] != '#') return std::nullopt;
    for (size_t i = 1; i < name.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    if (name.size() == 7) return name;
    return std::string{'#', name[1], name[1], name[2], name[2], name[3], name[3]};
}

std::string PageColourForBuild(const std::string& hex) { return hex == "#ffffff" ? std::string() : hex; }

}  // namespace pivra
