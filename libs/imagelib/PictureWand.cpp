#include "PictureWand.h"

#include "CommandError.h"

namespace pivra::imagelib {

WandPtr wandFromPicture(const Picture& picture, bool keepAlpha) {
    WandPtr wand = newWand();
    MagickBooleanType ok;
    if (!keepAlpha && picture.isOpaque()) {
        std::vector<std::uint8_t> rgb(picture.pixelCount() * 3);
        for (std::size_t i = 0, j = 0; i < picture.rgba.size(); i += 4, j += 3) {
            rgb[j] = picture.rgba[i];
            rgb[j + 1] = picture.rgba[i + 1];
            rgb[j + 2] = picture.rgba[i + 2];
        }
        ok = MagickConstituteImage(wand.get(), picture.width, picture.height, "RGB", CharPixel,
                                   rgb.data());
    } else {
        ok = MagickConstituteImage(wand.get(), picture.width, picture.height, "RGBA", CharPixel,
                                   picture.rgba.data());
    }
    if (ok == MagickFalse) throw CommandError("cannot hold the picture: " + takeWandError(wand.get()));
    return wand;
}

}  // namespace pivra::imagelib
