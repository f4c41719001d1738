#pragma once
// The scale as both programs take it on their command lines.
#include <string>

namespace pivra {

// True for a whole number from 1 to 50 written in plain digits ("16");
// scale is set only then.
bool ParseScaleArgument(const std::string& text, int& scale);

}  // namespace pivra
