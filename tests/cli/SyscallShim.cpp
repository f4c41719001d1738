// Preloaded (LD_PRELOAD) into pivra-make by the tests: logs every fsync and
// rename to $PIVRA_SHIM_LOG ("fsync PATH", "rename FROM TO"), and raises
// SIGINT just before a rename onto a file named $PIVRA_SHIM_RAISE_AT, so that
// a test can stop a run at that very moment.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

void Log(const std::string& line) {
    const char* log = std::getenv("PIVRA_SHIM_LOG");
    if (!log || !*log) return;
    const int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string text = line + "\n";
    if (::write(fd, text.data(), text.size()) < 0) {
    }
    ::close(fd);
}

std::string PathOf(int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : "?";
}

bool Named(const std::string& path, const char* name) {
    const std::string end = std::string("/") + name;
    return path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    Log("fsync " + PathOf(fd));
    return real(fd);
}

extern "C" __attribute__((visibility("default"))) int rename(const char* from, const char* to) {
    static const auto real = reinterpret_cast<int (*)(const char*, const char*)>(::dlsym(RTLD_NEXT, "rename"));
    Log(std::string("rename ") + from + " " + to);
    const char* at = std::getenv("PIVRA_SHIM_RAISE_AT");
    if (at && *at && Named(to, at)) ::raise(SIGINT);
    return real(from, to);
}
