#pragma once
// File dialog filters written as pairs of shown text and patterns, separated
// by "|" ("GIF Files (*.gif)|*.gif"); several patterns are separated by ";".
#include <string>
#include <vector>

namespace pivra {

struct DialogFilterEntry {
    std::string shown;
    std::vector<std::string> patterns;
};

// A trailing shown text without a pattern is dropped.
std::vector<DialogFilterEntry> ParseDialogFilter(const std::string& filter);

}  // namespace pivra
