#pragma once
// The page colour a GIF is made for, as the user writes it.
#include <optional>
#include <string>

namespace pivra {

// "#rrggbb", "#rgb" or one of the sixteen basic colour names (any case;
// "grey" too) as "#rrggbb" in lower case; nothing when it is none of these.
std::optional<std::string> ParsePageColour(const std::string& text);

// What the build keeps of a page colour: white is no page colour at all,
// since the edges already blend into white.
std::string PageColourForBuild(const std::string& hex);

}  // namespace pivra
