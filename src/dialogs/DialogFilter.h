#pragma once
// File dialog filters written as pairs of shown text and patterns, separated
// by "|" ("GIF Files (*.gif)|*.gif"); several patterns are separated by ";".
// Each entry filters by its patterns, whatever its shown text says.
#include <string>
#include <vector>

namespace pivra {

struct FilterEntry {
    std::string text;                   // shown to the user as it is
    std::vector<std::string> patterns;  // e.g. "*.jpg"
};

// A trailing text without patterns is dropped; empty patterns are skipped.
std::vector<FilterEntry> ParseDialogFilter(const std::string& filter);

// Whether a file name (no folder) matches one of the patterns. "*" and "?"
// are wildcards; letters match either case, so "PHOTO.JPG" matches "*.jpg";
// "*.*" matches every name.
bool MatchesFilter(const std::string& fileName, const std::vector<std::string>& patterns);

// The entry as a file-dialog name filter: the text, then the patterns in
// parentheses with every letter as a [xX] class, so that a case-sensitive
// dialog still lists "PHOTO.JPG" and the dialog hides that part when told to.
std::string DialogNameFilter(const FilterEntry& entry);

}  // namespace pivra
