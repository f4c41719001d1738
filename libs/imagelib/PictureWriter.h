#pragma once
// A command's one-picture output: encoded, written beside the target and
// renamed into place, and (GIF) remembered as the next read will decode it.
#include <string>

#include "GifEncoder.h"
#include "ImageFormat.h"
#include "Picture.h"

namespace pivra::imagelib {

// `settings` only matter to a GIF.
void writePicture(const std::string& path, const Picture& picture, ImageFormat format,
                  const AnimationSettings& settings = {});

}  // namespace pivra::imagelib
