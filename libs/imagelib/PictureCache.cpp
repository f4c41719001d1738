#include "PictureCache.h"

namespace pivra::imagelib {

PictureCache& pictureCache() {
    static PictureCache cache(kPictureCacheBytes);
    return cache;
}

}  // namespace pivra::imagelib
