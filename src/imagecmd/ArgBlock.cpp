#include "ArgBlock.h"

#include <cstring>

namespace pivra {

char* StringToRow(std::string s, ArgBytes& argBytes, const int16_t& row) {
    if (row < 0 || row >= kArgRows || s.size() >= static_cast<size_t>(kArgRowBytes)) return nullptr;
    unsigned char* dest = argBytes[row];
    std::memcpy(dest, s.data(), s.size());
    dest[s.size()] = 0;
    return reinterpret_cast<char*>(dest);
}

void AppendArg(ArgBlock& block, const std::string& text) {
    if (block.overflowed) return;
    char* address = StringToRow(text, block.argBytes, block.argc);
    if (!address) {
        block.overflowed = true;
        block.refused = text;
        return;
    }
    block.argv[block.argc] = address;
    ++block.argc;
}

}  // namespace pivra
