#include "FileBytes.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CommandError.h"

namespace pivra::imagelib {

namespace {

struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int f) : fd(f) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        int f = fd;
        fd = -1;
        return f;
    }
};

std::string systemReason() { return std::strerror(errno); }

// A name no other writer picks: process id, a per-process counter and the
// address of a stack variable, retried on the rare collision.
std::string temporaryNameFor(const std::string& path, int attempt) {
    static std::atomic<unsigned> counter{0};
    std::string::size_type slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.size() > 180) base.resize(180);  // stay below NAME_MAX with the suffix
    int marker = 0;
    return dir + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(&marker) & 0xffff) + "-" +
           std::to_string(attempt);
}

}  // namespace

std::vector<std::uint8_t> readInputFile(const std::string& path, std::size_t maxBytes,
                                        FileIdentity* identity) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0) throw CommandError("cannot open input \"" + path + "\": " + systemReason());
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        throw CommandError("cannot read input \"" + path + "\": " + systemReason());
    if (!S_ISREG(info.st_mode)) throw CommandError("input \"" + path + "\" is not a regular file");
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        throw CommandError("input \"" + path + "\" is too large (" + std::to_string(info.st_size >> 20) +
                           " MB; at most " + std::to_string(maxBytes >> 20) + " MB)");
    if (identity) *identity = identityOf(info);

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw CommandError("cannot read input \"" + path + "\": " + systemReason());
        if (got == 0) break;  // the file shrank while we read it
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void writeAllBytes(int fd, const std::vector<std::uint8_t>& bytes, const std::string& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        // A regular file that takes nothing more has run out of room; errno
        // is not set for that.
        if (put == 0) errno = ENOSPC;
        if (put <= 0) throw CommandError("cannot write output \"" + path + "\": " + systemReason());
        done += static_cast<std::size_t>(put);
    }
}

void writeOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     FileIdentity* identity) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(path, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw CommandError("cannot create output \"" + path + "\": " + systemReason());

    FileDescriptor file(fd);
    try {
        writeAllBytes(file.fd, bytes, path);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    struct stat info {};
    if (identity) *identity = ::fstat(file.fd, &info) == 0 ? identityOf(info) : FileIdentity{};
    if (::close(file.release()) != 0) {
        std::string reason = systemReason();
        ::unlink(temporary.c_str());
        throw CommandError("cannot write output \"" + path + "\": " + reason);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        std::string reason = systemReason();
        ::unlink(temporary.c_str());
        throw CommandError("cannot write output \"" + path + "\": " + reason);
    }
}

}  // namespace pivra::imagelib
