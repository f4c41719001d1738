#include "platform/FileStamp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/UniqueFd.h"

namespace pivra {

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    const auto ns = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::int64_t>(st.st_size), std::max(ns(st.st_mtim), ns(st.st_ctim))};
}

bool CanWriteIn(const std::string& folder, std::string& why) {
    std::string name = folder + (folder.empty() || folder.back() != '/' ? "/" : "") + ".pivra-probe-XXXXXX";
    UniqueFd fd(::mkstemp(name.data()));
    if (!fd) {
        why = std::strerror(errno);
        return false;
    }
    // A full disk still lets a name be made; the first block of data is refused.
    const std::vector<char> block(4096, '\0');
    errno = 0;
    const bool wrote = ::write(fd.get(), block.data(), block.size()) == static_cast<ssize_t>(block.size()) &&
                       ::fsync(fd.get()) == 0;
    if (!wrote) why = errno == 0 ? "the disk took less than was written" : std::strerror(errno);
    ::unlink(name.c_str());
    return wrote;
}

}  // namespace pivra
