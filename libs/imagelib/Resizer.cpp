#include "Resizer.h"

#include "CommandError.h"
#include "PictureWand.h"

namespace pivra::imagelib {

Picture resizePicture(const Picture& picture, int width, int height) {
    if (width == picture.width && height == picture.height) return picture;
    WandPtr wand = wandFromPicture(picture);
    if (MagickResizeImage(wand.get(), width, height, UndefinedFilter, 1.0) == MagickFalse)
        throw CommandError("cannot resize: " + takeWandError(wand.get()));
    return pictureFromWand(wand.get());
}

}  // namespace pivra::imagelib
