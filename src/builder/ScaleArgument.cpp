#include "builder/ScaleArgument.h"

namespace pivra {

bool ParseScaleArgument(const std::string& text, int& scale) {
    if (text.empty() || text.size() > 3) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 50) return false;
    scale = value;
    return true;
}

}  // namespace pivra
