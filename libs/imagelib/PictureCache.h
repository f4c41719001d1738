#pragma once
// Decoded pictures by file version. A build reads the same few files many
// times (the white template in every strip, each strip's mask in four
// frames), and a decode costs more than the pixel work done with it.
#include <cstddef>

#include "BoundedCache.h"
#include "FileIdentity.h"
#include "PackedPicture.h"

namespace pivra::imagelib {

using PictureCache = BoundedCache<FileIdentity, PackedPicture>;

// Holds the templates, faces and strips a scale-50 build reuses, packed;
// small beside the memory of a whole build.
constexpr std::size_t kPictureCacheBytes = 3u << 20;

// This library's cache, bounded at kPictureCacheBytes.
PictureCache& pictureCache();

}  // namespace pivra::imagelib
