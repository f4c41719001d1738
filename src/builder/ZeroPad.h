#pragma once
#include <cstdint>
#include <string>

namespace pivra {

// Decimal text of num left-padded with zeros to `digits` characters (at most
// ten zeros are added): ZeroPad(7, 5) is "00007".
std::string ZeroPad(const int& num, const int32_t& digits);

}  // namespace pivra
