#include "FileSystem.h"

#include <filesystem>
#include <system_error>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ReplaceFile.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;

namespace pivra {

bool FileSystem::fail(const std::string& what, const std::string& path, const std::string& reason) {
    lastError_ = what + ": " + path + ": " + reason;
    return false;
}

bool FileSystem::FolderExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool FileSystem::FileExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool FileSystem::CreateFolder(const std::string& path) {
    std::error_code ec;
    if (fs::create_directory(path, ec)) return true;
    if (ec) return fail("Cannot create folder", path, ec.message());
    return fail("Cannot create folder", path, "it already exists");
}

bool FileSystem::DeleteFolder(const std::string& path) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(path, ec)))
        return fail("Cannot remove folder", path, "no such folder");
    fs::remove_all(path, ec);
    if (ec) return fail("Cannot remove folder", path, ec.message());
    return true;
}

bool FileSystem::DeleteFile(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) return fail("Cannot delete file", path, "it is a folder");
    if (!fs::remove(path, ec))
        return fail("Cannot delete file", path, ec ? ec.message() : "no such file");
    return true;
}

bool FileSystem::CopyFile(const std::string& src, const std::string& dst) {
    std::error_code ec;
    if (!fs::is_regular_file(src, ec)) return fail("Cannot copy file", src, "no such file");
    std::string why;
    if (!ReplaceWithCopy(src, dst, why)) return fail("Cannot write file", dst, why);
    return true;
}

bool FileSystem::CreateFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd) return fail("Cannot create file", path, std::strerror(errno));
    return true;
}

bool FileSystem::CreateTempFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                                std::string& path) {
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '/') pattern += '/';
    pattern += stem + "-XXXXXX" + suffix;
    UniqueFd fd(::mkstemps(pattern.data(), static_cast<int>(suffix.size())));
    if (!fd) return fail("Cannot create file", folder, std::strerror(errno));
    path = pattern;
    return true;
}

bool FileSystem::MoveFile(const std::string& src, const std::string& dst) {
    if (::rename(src.c_str(), dst.c_str()) != 0) return fail("Cannot replace file", dst, std::strerror(errno));
    return true;
}

bool FileSystem::CommitFile(const std::string& src, const std::string& dst) {
    std::string why;
    if (!SyncFile(src, why)) return fail("Cannot write file", src, why);
    if (!MoveFile(src, dst)) return false;
    SyncFolderOf(dst);
    return true;
}

std::string ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    std::string folder = ec ? fs::current_path(ec).string() : exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const fs::path abs = fs::absolute(path, ec);
    if (ec) return path;
    // "link/.." is the parent of the link's target, as the system reads it, so
    // the folders go through their links; the file name stays as typed, so
    // that a link the user named is still written through.
    const fs::path name = abs.filename();
    const bool folderOnly = name.empty() || name == "." || name == "..";
    const fs::path folder = fs::weakly_canonical(folderOnly ? abs : abs.parent_path(), ec);
    if (ec) return abs.string();
    return folderOnly ? folder.string() : (folder / name).string();
}

}  // namespace pivra
