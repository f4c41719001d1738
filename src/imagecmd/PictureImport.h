#pragma once
// The conversion of a user's picture to an i_size square: the working copy
// of the window's import and the build's face copies.
#include <cstdint>
#include <string>

#include "imagecmd/ImageCommands.h"

namespace pivra {

// Squeezed whole (a Resize), or with `crop` the largest centred square cut
// out: the picture is scaled to cover the square, then its centre is kept.
CommandStatus ImportPicture(ImageCommands& commands, const std::string& src, const std::string& dst,
                            int16_t i_size, bool crop);

}  // namespace pivra
