#include "PlainPath.h"

#include <cstdlib>
#include <cstring>

namespace pivra::imagelib {

bool plainPath() {
    static const bool plain = [] {
        const char* value = std::getenv("PIVRA_IMAGELIB_PLAIN");
        return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
    }();
    return plain;
}

}  // namespace pivra::imagelib
