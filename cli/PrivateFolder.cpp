#include "PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace pivra {
namespace {

constexpr const char* kPrefix = "pivra-make-";
constexpr std::size_t kNameLength = 17;  // the prefix and mkdtemp's six letters
// Held locked by the owner; also what tells a private folder from any other.
constexpr const char* kOwnerLock = ".pivra-make-owner";

}  // namespace

std::string TemporaryRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

bool PrivateFolder::make(std::string& error) {
    const std::string root = TemporaryRoot();
    std::string why;
    // A run cleaning up at the same moment may take a folder just made,
    // before its lock: then it is given up and another one made.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::string name = root + "/" + kPrefix + "XXXXXX";
        if (!::mkdtemp(name.data())) {
            why = std::strerror(errno);
            break;
        }
        if (owner_.tryLock(name, kOwnerLock, why) && owner_.stillInPlace()) {
            path_ = name;
            return true;
        }
        owner_.release();
    }
    error = "cannot make a working folder in " + root + ": " + why;
    return false;
}

bool PrivateFolder::remove(std::string& why) {
    if (path_.empty()) return true;
    std::error_code ec;
    fs::remove_all(path_, ec);
    if (ec) {
        why = ec.message();
        return false;
    }
    path_.clear();
    owner_.release();
    return true;
}

PrivateFolder::~PrivateFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

void RemoveAbandonedFolders(const std::string& root) {
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != kNameLength || name.rfind(kPrefix, 0) != 0) continue;
        const std::string folder = it->path().string();
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        FolderLock probe;
        std::string why;
        if (!probe.tryLock(folder, kOwnerLock, why, false)) continue;  // alive, or not a private folder
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
}

}  // namespace pivra
