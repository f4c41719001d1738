#include "ZeroPad.h"

#include <algorithm>

namespace pivra {

std::string ZeroPad(const int& num, const int32_t& digits) {
    const std::string t = std::to_string(num);
    const int32_t zeros = std::clamp<int32_t>(digits - static_cast<int32_t>(t.size()), 0, 10);
    return std::string(static_cast<size_t>(zeros), '0') + t;
}

}  // namespace pivra
