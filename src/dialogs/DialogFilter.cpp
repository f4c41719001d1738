#include "dialogs/DialogFilter.h"

#include <cctype>
#include <sstream>

namespace pivra {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep)) parts.push_back(part);
    if (!s.empty() && s.back() == sep) parts.emplace_back();
    return parts;
}

// As on the platform the filter comes from: every file, extension or not.
const std::string kEveryFile = "*.*";

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Classic wildcard match with one back-tracking point for the last "*".
bool WildcardMatch(const std::string& name, const std::string& pattern) {
    size_t n = 0, p = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<FilterEntry> ParseDialogFilter(const std::string& filter) {
    const std::vector<std::string> parts = Split(filter, '|');
    std::vector<FilterEntry> entries;
    for (size_t k = 0; k + 1 < parts.size(); k += 2) {
        FilterEntry e{parts[k], {}};
        for (const std::string& p : Split(parts[k + 1], ';'))
            if (!p.empty()) e.patterns.push_back(p);
        entries.push_back(std::move(e));
    }
    return entries;
}

bool MatchesFilter(const std::string& fileName, const std::vector<std::string>& patterns) {
    for (const std::string& p : patterns)
        if (p == kEveryFile || WildcardMatch(fileName, p)) return true;
    return false;
}

std::string DialogNameFilter(const FilterEntry& entry) {
    std::string out = entry.text + " (";
    for (size_t k = 0; k < entry.patterns.size(); ++k) {
        if (k > 0) out += ' ';
        if (entry.patterns[k] == kEveryFile) {
            out += '*';
            continue;
        }
        for (char c : entry.patterns[k]) {
            if (std::isalpha(static_cast<unsigned char>(c))) {
                out += '[';
                out += Lower(c);
                out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                out += ']';
            } else {
                out += c;
            }
        }
    }
    return out + ")";
}

}  // namespace pivra
