#include "CurrentFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace pivra {

bool CurrentFolder::enter(const std::string& folder, std::string& why) {
    // O_PATH: the folder we came from need not be readable to be returned to.
    UniqueFd here(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!here) {
        why = std::strerror(errno);
        return false;
    }
    if (::chdir(folder.c_str()) != 0) {
        why = std::strerror(errno);
        return false;
    }
    previous_ = std::move(here);
    return true;
}

CurrentFolder::~CurrentFolder() {
    // Nothing better can be done when the way back has gone.
    if (previous_ && ::fchdir(previous_.get()) != 0) return;
}

}  // namespace pivra
