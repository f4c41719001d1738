#pragma once
// Expansion of a path whose last component holds * or ?.
#include <string>
#include <vector>

namespace pivra::imagelib {

// True when the last path component contains * or ?.
bool hasWildcard(const std::string& path);

// * matches any run of characters, ? exactly one; nothing else is special.
// A leading dot is only matched by a pattern that starts with one.
bool matchesWildcard(const std::string& pattern, const std::string& name);

// Regular files in the pattern's folder whose names match its last
// component, in ascending byte order. The folder part is taken literally.
std::vector<std::string> expandWildcard(const std::string& pattern);

}  // namespace pivra::imagelib
