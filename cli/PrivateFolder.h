#pragma once
// The private working folder of one run: pivra-make-XXXXXX in $TMPDIR (or
// /tmp), locked by its owner for as long as the run lives.
#include <string>

#include "platform/FolderLock.h"

namespace pivra {

class PrivateFolder {
public:
    PrivateFolder() = default;
    ~PrivateFolder();  // removes whatever is still there
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    bool make(std::string& error);
    // Removes the folder now; false with the reason when some of it stays.
    bool remove(std::string& why);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    FolderLock owner_;
};

// $TMPDIR, or /tmp when it is not set.
std::string TemporaryRoot();

// Removes the private folders in root left by runs that are gone (killed
// with SIGKILL, or a machine that stopped): only ours, marked as private
// folders, and only when their owner's lock can be taken.
void RemoveAbandonedFolders(const std::string& root);

}  // namespace pivra
