#include "DialogFilter.h"

namespace pivra {
namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at = text.find(sep); at != std::string::npos; at = text.find(sep, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

std::vector<DialogFilterEntry> ParseDialogFilter(const std::string& filter) {
    std::vector<DialogFilterEntry> entries;
    if (filter.empty()) return entries;
    const std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        DialogFilterEntry e{parts[i], {}};
        for (const std::string& p : Split(parts[i + 1], ';'))
            if (!p.empty()) e.patterns.push_back(p);
        entries.push_back(e);
    }
    return entries;
}

}  // namespace pivra
