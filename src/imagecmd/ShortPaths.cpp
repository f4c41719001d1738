#include "ShortPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "imagecmd/ArgBlock.h"
#include "platform/ReplaceFile.h"

namespace pivra {
namespace {

constexpr const char* kLinkFolder = ".pivra-links-XXXXXX";
// Longer endings are not kept: they would only crowd the row.
constexpr std::size_t kLongestExtension = 16;

bool Fits(const std::string& text) { return text.size() < static_cast<std::size_t>(kArgRowBytes); }

// ".jpg" of "/a/b/head.jpg"; empty for "/a/.profile" or "/a/b/name".
std::string ExtensionOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || name.size() - dot > kLongestExtension) return {};
    return name.substr(dot);
}

// The libraries expand * and ? in a path's last component.
bool HasWildcard(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return path.find_first_of("*?", slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
}

}  // namespace

ShortPaths::ShortPaths(std::string workingRoot) : root_(std::move(workingRoot)) {}

ShortPaths::~ShortPaths() {
    if (links_.empty()) return;
    // Nobody is left to tell: the command has been judged by now. A folder
    // that stays (a name that cannot be removed) is removed as stale at a
    // later start, by RemoveStaleLinkFolders.
    for (const std::string& name : made_) ::unlink((links_ + "/" + name).c_str());
    ::rmdir(links_.c_str());
}

void RemoveStaleLinkFolders(const std::string& workingRoot) {
    if (workingRoot.empty()) return;
    const std::string prefix = std::string(kLinkFolder).substr(0, std::strlen(kLinkFolder) - 6);
    const auto dayAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(workingRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != std::strlen(kLinkFolder) || name.rfind(prefix, 0) != 0) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        std::error_code age;
        if (std::filesystem::last_write_time(it->path(), age) > dayAgo || age) continue;
        // Only links and copies of our own are inside; links are removed, never followed.
        std::error_code ignored;  // one that cannot be removed now is tried again at the next start
        std::filesystem::remove_all(it->path(), ignored);
    }
}

bool ShortPaths::fit(std::vector<CommandArg>& args) {
    const auto it = std::find_if(args.begin(), args.end(),
                                 [](const CommandArg& a) { return a.kind != ArgKind::Option && !Fits(a.text); });
    if (it == args.end()) return true;
    refused_ = it->text;
    if (root_.empty()) {
        why_ = "there is no working folder to give it a shorter name in";
        return false;
    }
    inRoot_ = true;
    for (CommandArg& a : args) {
        if (a.kind == ArgKind::Option || a.text.empty()) continue;
        // The call runs in the working root, where a relative name means something else.
        if (a.text[0] != '/') a.text = std::filesystem::absolute(a.text).string();
        if (Fits(a.text)) continue;
        const std::string path = a.text;
        if (!shorten(a.text, a.kind)) {
            refused_ = path;
            return false;
        }
    }
    return true;
}

bool ShortPaths::shorten(std::string& path, ArgKind kind) {
    const std::string original = path;
    const std::size_t slash = original.rfind('/');
    const std::string folder = original.substr(0, slash), name = original.substr(slash + 1);
    // An output is written beside itself and renamed, and a wildcard is
    // expanded in its folder: both keep their folder and their own name.
    const bool wholeFolder = kind == ArgKind::Output || HasWildcard(original);
    if (const auto known = given_.find({original, wholeFolder}); known != given_.end()) {
        path = known->second;
        return true;
    }

    std::string text;
    if (original.size() > root_.size() && original.compare(0, root_.size(), root_) == 0 &&
        Fits(original.substr(root_.size()))) {
        text = original.substr(root_.size());
        if (wholeFolder && slash > root_.size()) remember(folder.substr(root_.size()) + "/", folder + "/", true);
    } else {
        if (!makeLinkFolder()) return false;
        const std::string number = std::to_string(made_.size() + 1);
        const std::string linkName = wholeFolder ? number : number + ExtensionOf(name);
        const std::string linked = links_.substr(root_.size()) + "/" + linkName;
        text = wholeFolder ? linked + "/" + name : linked;
        if (!Fits(text)) {
            why_ = "its own name is too long";
            return false;
        }
        if (!link(wholeFolder ? (folder.empty() ? "/" : folder) : original, linkName, !wholeFolder)) return false;
        if (wholeFolder) remember(linked + "/", folder + "/", true);
    }
    remember(text, original, false);
    given_[{original, wholeFolder}] = text;
    path = text;
    return true;
}

bool ShortPaths::makeLinkFolder() {
    if (!links_.empty()) return true;
    std::string folder = root_ + kLinkFolder;
    if (!::mkdtemp(folder.data())) {
        why_ = "no folder for a shorter name could be made in " + root_ + ": " + std::strerror(errno);
        return false;
    }
    links_ = folder;
    return true;
}

bool ShortPaths::link(const std::string& target, const std::string& name, bool copyWhenNoLink) {
    const std::string at = links_ + "/" + name;
    if (::symlink(target.c_str(), at.c_str()) != 0) {
        const std::string noLink = std::strerror(errno);
        std::string noCopy;
        // Some file systems (a memory card's) have no links; a copy reads the same.
        if (!copyWhenNoLink || !ReplaceWithCopy(target, at, noCopy)) {
            why_ = "no link to it could be made (" + noLink + ")" + (noCopy.empty() ? "" : ", nor a copy (" + noCopy + ")");
            return false;
        }
    }
    made_.push_back(name);
    return true;
}

void ShortPaths::remember(const std::string& text, const std::string& original, bool folderOnly) {
    handed_.push_back({text, original, folderOnly});
}

std::string ShortPaths::original(const std::string& text) const {
    for (const Handed& h : handed_)
        if (!h.prefix && h.text == text) return h.original;
    for (const Handed& h : handed_)
        if (h.prefix && text.compare(0, h.text.size(), h.text) == 0) return h.original + text.substr(h.text.size());
    return text;
}

std::string ShortPaths::restore(const std::string& message) const {
    if (handed_.empty()) return message;
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t open = message.find('"', from);
        const std::size_t close = open == std::string::npos ? open : message.find('"', open + 1);
        if (close == std::string::npos) break;
        out += message.substr(from, open + 1 - from) + original(message.substr(open + 1, close - open - 1)) + '"';
        from = close + 1;
    }
    return out + message.substr(from);
}

}  // namespace pivra
