#pragma once
// An advisory lock (flock) on a file inside a folder, held while this object
// lives. The kernel drops it when the process ends, however it ends, so a
// lock that can be taken proves its last holder is gone.
#include <string>

#include "platform/UniqueFd.h"

namespace pivra {

class FolderLock {
public:
    // Opens folder/name (making it when `make`) and locks it without waiting.
    // False with the reason when the file cannot be opened or another
    // process holds the lock (why then says "in use").
    bool tryLock(const std::string& folder, const std::string& name, std::string& why, bool make = true);
    bool held() const { return static_cast<bool>(fd_); }
    // True when the locked file is still the one at its name (nobody removed it meanwhile).
    bool stillInPlace() const;
    void release() { fd_.reset(); }

private:
    UniqueFd fd_;
    std::string path_;
};

}  // namespace pivra
