#pragma once
// A command that cannot be carried out; its message becomes LastError.
#include <stdexcept>
#include <string>

namespace pivra::imagelib {

class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace pivra::imagelib
