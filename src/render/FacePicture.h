#pragma once
// A face straight from the user's picture, in full colour: decoded upright,
// cut to its centred square when cropping, and resized once, with a good
// filter, to the size the look draws it at.
#include <string>

#include "Picture.h"

namespace pivra {

// side: the face's width and height. why: one sentence when it fails.
bool LoadFacePicture(const std::string& path, int side, bool crop, imagelib::Picture& face, std::string& why);

}  // namespace pivra
