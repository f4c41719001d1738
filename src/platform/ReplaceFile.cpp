#include "ReplaceFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/UniqueFd.h"

namespace pivra {
namespace {

std::string Reason(int err) { return std::strerror(err); }

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* WhyNotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    return "it is not a regular file";
}

// Read from /proc, because umask() can only be read by changing it, which
// would race with files made meanwhile by other threads.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Removes the temporary file unless it was renamed into place.
class TemporaryName {
public:
    explicit TemporaryName(std::string name) : name_(std::move(name)) {}
    ~TemporaryName() {
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::string& name() const { return name_; }
    void release() { name_.clear(); }

private:
    std::string name_;
};

bool WriteAll(int out, const char* data, size_t size, std::string& why) {
    for (size_t done = 0; done < size;) {
        const ssize_t put = ::write(out, data + done, size - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            why = Reason(errno);
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

// A file system that cannot sync (some network and FUSE ones) has nothing to
// flush; any other failure (EIO, ENOSPC) means the bytes may never arrive.
bool SyncFd(int fd, std::string& why) {
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return true;
        why = Reason(errno);
        return false;
    }
    return true;
}

bool CopyBytes(int in, int out, std::string& why) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            why = Reason(errno);
            return false;
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(got), why)) return false;
    }
}

}  // namespace

bool ResolveWriteTarget(const std::string& path, std::string& target, std::string& why) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                why = Reason(errno);
                return false;
            }
            target = current;  // a new file
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            if (!S_ISREG(st.st_mode)) {
                why = WhyNotAFile(st.st_mode);
                return false;
            }
            target = current;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link);
        if (n < 0 || n == static_cast<ssize_t>(sizeof link)) {
            why = Reason(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string to(link, static_cast<size_t>(n));
        current = to[0] == '/' ? to : FolderOf(current) + "/" + to;
    }
    why = Reason(ELOOP);
    return false;
}

namespace {

// Writes dst's new content through `fill` into a temporary file beside
// dst's target, then renames it into place.
template <typename Fill>
bool ReplaceWith(const std::string& dst, std::string& why, Fill fill) {
    std::string target;
    if (!ResolveWriteTarget(dst, target, why)) return false;
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    const mode_t mode = replacing ? (old.st_mode & 0777) : (0666 & ~CurrentUmask());

    // mkstemp: a new name of our own (O_EXCL, so never a planted link), short
    // enough beside any legal name.
    std::string pattern = FolderOf(target) + "/.pivra-XXXXXX";
    UniqueFd out(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!out) {
        why = Reason(errno);
        return false;
    }
    TemporaryName temporary(pattern);
    if (!fill(out.get(), why)) return false;
    // Best effort: root replacing someone's file gives it back to its owner.
    if (replacing && ::geteuid() == 0 && ::fchown(out.get(), old.st_uid, old.st_gid) != 0) {
    }
    if (::fchmod(out.get(), mode) != 0) {
        why = Reason(errno);
        return false;
    }
    // Bytes, owner and mode on the disk before the name points at them.
    if (!SyncFd(out.get(), why)) return false;
    if (!out.close() || ::rename(temporary.name().c_str(), target.c_str()) != 0) {
        why = Reason(errno);
        return false;
    }
    temporary.release();
    SyncFolderOf(target);
    return true;
}

}  // namespace

bool SyncFile(const std::string& path, std::string& why) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        why = Reason(errno);
        return false;
    }
    return SyncFd(fd.get(), why);
}

void SyncFolderOf(const std::string& path) {
    // The new file is in place whatever this answers: a folder that cannot be
    // opened or synced leaves the rename as lasting as its file system makes
    // it, and there is nothing left to undo or to tell.
    UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::string ignored;
    if (folder) SyncFd(folder.get(), ignored);
}

bool ReplaceWithCopy(const std::string& src, const std::string& dst, std::string& why) {
    UniqueFd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) {
        why = Reason(errno);
        return false;
    }
    return ReplaceWith(dst, why, [&](int out, std::string& reason) { return CopyBytes(in.get(), out, reason); });
}

bool ReplaceWithBytes(const std::vector<std::uint8_t>& bytes, const std::string& dst, std::string& why) {
    return ReplaceWith(dst, why, [&](int out, std::string& reason) {
        return WriteAll(out, reinterpret_cast<const char*>(bytes.data()), bytes.size(), reason);
    });
}

}  // namespace pivra
