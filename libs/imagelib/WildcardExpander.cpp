#include "WildcardExpander.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

#include "CommandError.h"

namespace pivra::imagelib {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool matchFrom(const char* pattern, const char* name) {
    // Iterative matcher with one back-tracking point for the last *.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '?' || (*pattern != '*' && *pattern == *name)) {
            ++pattern;
            ++name;
        } else if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

}  // namespace

bool hasWildcard(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    std::string::size_type start = slash == std::string::npos ? 0 : slash + 1;
    return path.find_first_of("*?", start) != std::string::npos;
}

bool matchesWildcard(const std::string& pattern, const std::string& name) {
    if (!name.empty() && name[0] == '.' && (pattern.empty() || pattern[0] != '.')) return false;
    return matchFrom(pattern.c_str(), name.c_str());
}

std::vector<std::string> expandWildcard(const std::string& pattern) {
    std::string::size_type slash = pattern.rfind('/');
    std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash);
    if (folder.empty()) folder = "/";
    std::string prefix = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);

    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) throw CommandError("no file matches \"" + pattern + "\"");
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !matchesWildcard(namePattern, name)) continue;
        struct stat info {};
        if (::stat((prefix + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) paths.push_back(prefix + name);
    return paths;
}

}  // namespace pivra::imagelib
