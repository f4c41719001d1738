#include "AppFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "FileSystem.h"
#include "PivraLayout.h"

namespace fs = std::filesystem;

namespace pivra {
namespace {

std::string AsFolder(const fs::path& p) {
    std::string s = p.lexically_normal().string();
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Any one installation file marks the installed layout.
constexpr char kInstallationMarker[] = "pre_mask.bmp";

bool InGroup(gid_t gid) {
    if (gid == ::getegid()) return true;
    const int n = ::getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    const int got = ::getgroups(n, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

}  // namespace

FolderEnvironment CurrentFolderEnvironment() {
    FolderEnvironment env{Env("XDG_DATA_HOME"), Env("HOME")};
    if (env.home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
    }
    return env;
}

std::string UserWorkRoot(const FolderEnvironment& env) {
    // Relative values of XDG_DATA_HOME are invalid and ignored.
    if (!env.xdgDataHome.empty() && env.xdgDataHome.front() == '/')
        return AsFolder(fs::path(env.xdgDataHome) / "pivra");
    const std::string home = env.home.empty() ? "/" : env.home;
    return AsFolder(fs::path(home) / ".local/share/pivra");
}

bool FolderWritableByMode(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    struct statvfs vfs {};
    if (::statvfs(folder.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return false;
    mode_t bit = S_IWOTH;
    if (st.st_uid == ::geteuid()) bit = S_IWUSR;
    else if (InGroup(st.st_gid)) bit = S_IWGRP;
    if (!(st.st_mode & bit)) return false;
    // Access control lists can still refuse an ordinary user.
    return ::geteuid() == 0 || ::access(folder.c_str(), W_OK) == 0;
}

AppFolders LocateAppFolders(const std::string& exeFolder, const FolderEnvironment& env) {
    AppFolders f;
    fs::path exe = fs::path(exeFolder).lexically_normal();
    if (!exe.has_filename()) exe = exe.parent_path();  // drop the trailing "/"
    const fs::path prefix = exe.parent_path();
    const fs::path shared = prefix / PIVRA_INSTALL_DATADIR;
    std::error_code ec;
    f.installed = fs::is_regular_file(shared / kInstallationMarker, ec);
    if (f.installed) {
        f.installFiles = AsFolder(shared);
        f.libraries = AsFolder(prefix / PIVRA_INSTALL_LIBDIR);
        f.workRoot = UserWorkRoot(env);
    } else {
        f.installFiles = f.libraries = AsFolder(exe);
        f.workRoot = FolderWritableByMode(exeFolder) ? AsFolder(exe) : UserWorkRoot(env);
    }
    return f;
}

AppFolders LocateAppFolders() { return LocateAppFolders(ExecutableFolder(), CurrentFolderEnvironment()); }

}  // namespace pivra
