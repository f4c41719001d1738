#pragma once
// Resizing with ImageMagick's default filter, as convert -geometry does.
#include "Picture.h"

namespace pivra::imagelib {

Picture resizePicture(const Picture& picture, int width, int height);

}  // namespace pivra::imagelib
