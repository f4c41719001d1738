#pragma once
// The argument block handed to an image command library: 21 rows of 100
// bytes, each holding one NUL-terminated argument, and the vector of row
// addresses the library reads. One block serves one command (and its retry).
#include <cstdint>
#include <string>

namespace pivra {

constexpr int kArgRows = 21;
constexpr int kArgRowBytes = 100;

using ArgBytes = unsigned char[kArgRows][kArgRowBytes];

struct ArgBlock {
    ArgBytes argBytes = {};
    char* argv[kArgRows] = {};
    int16_t argc = 0;
    // The first argument that did not fit; empty while everything fitted.
    std::string refused;
    bool overflowed = false;
};

// Stores s in row `row` and returns the row's first byte. A text of 100
// bytes or more, or a row outside the block, is not stored: nullptr.
char* StringToRow(std::string s, ArgBytes& argBytes, const int16_t& row);

// Puts text into the next row and its address into argv. Once one argument
// is refused the block is marked overflowed and takes nothing more.
void AppendArg(ArgBlock& block, const std::string& text);

}  // namespace pivra
