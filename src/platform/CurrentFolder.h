#pragma once
// Makes a folder the process's current folder while this object lives, then
// goes back to the one before (found by handle, so even one without a name
// any more). The program is single-threaded around the calls that need it.
#include <string>

#include "platform/UniqueFd.h"

namespace pivra {

class CurrentFolder {
public:
    CurrentFolder() = default;
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

    // False with the system's reason; the current folder is then unchanged.
    bool enter(const std::string& folder, std::string& why);

private:
    UniqueFd previous_;
};

}  // namespace pivra
