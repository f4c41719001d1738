#pragma once
// The file-system object: the handful of folder and file operations the
// program uses, each answering true or false and keeping the reason of the
// last failure, so that a caller can stop and tell the user instead of dying.
#include <string>

namespace pivra {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool FolderExists(const std::string& path) const;
    virtual bool FileExists(const std::string& path) const;
    virtual bool CreateFolder(const std::string& path);
    // Removes the folder with everything in it.
    virtual bool DeleteFolder(const std::string& path);
    virtual bool DeleteFile(const std::string& path);
    // Copies src over dst; dst is written beside itself and renamed into
    // place. A link is written through; a folder or special file is refused.
    virtual bool CopyFile(const std::string& src, const std::string& dst);
    // Makes a new empty file; false if anything of that name exists.
    virtual bool CreateFile(const std::string& path);
    // Makes a new empty file of a name no one else has (mkstemps):
    // folder/stem-XXXXXX<suffix>; path receives the name.
    virtual bool CreateTempFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                                std::string& path);
    // Renames src to dst, replacing dst in one step (both in one folder tree).
    virtual bool MoveFile(const std::string& src, const std::string& dst);
    // The same for a finished file that must survive a power cut: its bytes
    // are synced before the rename, the folder after it.
    bool CommitFile(const std::string& src, const std::string& dst);

    // "what failed: path: reason" of the last call that returned false.
    const std::string& lastError() const { return lastError_; }

protected:
    bool fail(const std::string& what, const std::string& path, const std::string& reason);
    std::string lastError_;
};

// The folder the running executable lives in, ending in "/".
std::string ExecutableFolder();

// Makes path absolute against the current folder, its folders resolved as
// the system resolves them (through links, then ".."); empty stays empty.
std::string AbsolutePath(const std::string& path);

}  // namespace pivra
