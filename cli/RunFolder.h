#pragma once
// The working folder of one pivra-make run: a private one in $TMPDIR, or the
// user's --workdir, locked for the run so that two runs never share it, and
// given the installation files.
#include <string>

#include "PrivateFolder.h"
#include "platform/FolderLock.h"

namespace pivra {

class FileSystem;

class RunFolder {
public:
    // workdir empty: a private folder. error: one line naming the folder.
    bool prepare(const std::string& workdir, FileSystem& fso, std::string& error);
    // The folder, ending in "/".
    const std::string& appStr() const { return appStr_; }
    // Removes a private folder now (a --workdir stays); false with the reason.
    bool removePrivate(std::string& why) { return private_.remove(why); }
    const std::string& privatePath() const { return private_.path(); }

private:
    bool useWorkdir(const std::string& workdir, std::string& error);
    bool copyInstallationFiles(FileSystem& fso, std::string& error);

    PrivateFolder private_;
    FolderLock lock_;
    std::string appStr_;
};

}  // namespace pivra
