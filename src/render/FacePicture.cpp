#include "FacePicture.h"

#include <algorithm>
#include <cstring>

#include "CommandError.h"
#include "OptionValues.h"
#include "PictureLoader.h"
#include "Resizer.h"

namespace pivra {
namespace {

imagelib::Picture CentredSquare(const imagelib::Picture& picture) {
    const int side = std::min(picture.width, picture.height);
    if (picture.width == picture.height) return picture;
    int left = 0, top = 0;
    imagelib::cropOrigin(imagelib::Gravity::Center, imagelib::CropGeometry{side, side, 0, 0}, picture.width,
                         picture.height, left, top);
    imagelib::Picture square(side, side);
    for (int y = 0; y < side; ++y)
        std::memcpy(square.pixel(0, y), picture.pixel(left, top + y), static_cast<std::size_t>(side) * 4);
    return square;
}

}  // namespace

bool LoadFacePicture(const std::string& path, int side, bool crop, imagelib::Picture& face, std::string& why) {
    try {
        // The size that follows lets a large photo decode already reduced.
        imagelib::ResizeGeometry next{side, side, !crop, crop};
        const imagelib::LoadedPicture loaded = imagelib::loadPicture(path, next);
        const imagelib::Picture& picture = *loaded.picture;
        face = imagelib::resizePicture(crop ? CentredSquare(picture) : picture, side, side);
        return true;
    } catch (const imagelib::CommandError& e) {
        why = e.what();
        return false;
    }
}

}  // namespace pivra
