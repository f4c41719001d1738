#pragma once
// Paths of any length for the image libraries, whose argument rows hold at
// most 99 bytes. Only a command with a path that does not fit is changed:
// each of its paths is then handed over from the working root, where the
// call runs: by its name relative to the root when that fits, else by a
// short name in a private folder of the root (".pivra-links-XXXXXX"): a link to
// the file (a copy when no link can be made), or, for an output or a
// wildcard, a link to its folder followed by its own name.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pivra {

enum class ArgKind { Option, Input, Output };

struct CommandArg {
    std::string text;
    ArgKind kind = ArgKind::Option;
};

// Serves one command; what it made goes with it.
class ShortPaths {
public:
    // workingRoot: absolute and ending in "/"; empty when there is none.
    explicit ShortPaths(std::string workingRoot);
    ~ShortPaths();  // removes the links and copies it made, and their folder
    ShortPaths(const ShortPaths&) = delete;
    ShortPaths& operator=(const ShortPaths&) = delete;

    // Rewrites the paths of args so that every one fits a row; false, with
    // refused() and why(), when one cannot be made to.
    bool fit(std::vector<CommandArg>& args);
    // The path that could not be made to fit; after a success, the first that did not fit as it was.
    const std::string& refused() const { return refused_; }
    // The texts handed over are relative to the working root: call from there.
    bool runInWorkingRoot() const { return inRoot_; }
    const std::string& why() const { return why_; }
    // A library's message with the quoted names it was given put back to the
    // paths they stand for.
    std::string restore(const std::string& message) const;

private:
    bool shorten(std::string& path, ArgKind kind);
    bool makeLinkFolder();
    bool link(const std::string& target, const std::string& name, bool copyWhenNoLink);
    void remember(const std::string& text, const std::string& original, bool folderOnly);
    std::string original(const std::string& text) const;

    struct Handed {
        std::string text, original;
        bool prefix;  // a folder: names under it stand for names under the original
    };
    std::string root_;
    std::string links_;              // the private folder once made, without "/"
    std::vector<std::string> made_;  // the names made in it
    std::vector<Handed> handed_;
    // A path named twice gets one name (an output never shares an input's link).
    std::map<std::pair<std::string, bool>, std::string> given_;
    bool inRoot_ = false;
    std::string refused_, why_;
};

// Removes the private folders of ShortPaths in workingRoot that are older than
// a day: left by a run that was killed. Call only while holding the root's lock.
void RemoveStaleLinkFolders(const std::string& workingRoot);

}  // namespace pivra
