#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace pivra {

bool FolderLock::tryLock(const std::string& folder, const std::string& name, std::string& why, bool make) {
    release();
    path_ = folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + name;
    UniqueFd fd(::open(path_.c_str(), O_RDWR | (make ? O_CREAT : 0) | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd) {
        why = std::strerror(errno);
        return false;
    }
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        why = errno == EWOULDBLOCK ? "in use" : std::strerror(errno);
        return false;
    }
    fd_ = std::move(fd);
    return true;
}

bool FolderLock::stillInPlace() const {
    struct stat held {}, named {};
    return fd_ && ::fstat(fd_.get(), &held) == 0 && ::lstat(path_.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace pivra
