#pragma once
#include <string>

namespace pivra {

// True when path is a readable file whose first bytes are those of a picture
// the image libraries read (ImageFormat.h); otherwise why not, in a few words.
bool CheckPictureFile(const std::string& path, std::string& why);

}  // namespace pivra
