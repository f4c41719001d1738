// The reduced decode for a resize stays in use for photos stored turned: a JPEG with EXIF orientation 6
// comes back at 1/8 of its size, already upright, as the same photo without the tag does; a HEIC shrinks
// by the same rule.
#include <gtest/gtest.h>
#include <wand/MagickWand.h>

#include "MagickSession.h"
#include "PictureDecoder.h"

namespace pivra::imagelib {
namespace {

// A `w` x `h` picture, red on its left half and blue on its right, written by ImageMagick in `coder`;
// `orientation` 6 stores it turned anticlockwise with the EXIF tag that turns it back.
std::vector<std::uint8_t> photo(const char* coder, int w, int h, int orientation) {
    ensureMagickReady();
    std::vector<unsigned char> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) rgb.insert(rgb.end(), {std::uint8_t(x < w / 2 ? 220 : 30), 30, std::uint8_t(x < w / 2 ? 30 : 220)});
    MagickWand* wand = NewMagickWand();
    MagickConstituteImage(wand, w, h, "RGB", CharPixel, rgb.data());
    if (orientation == 6) {
        PixelWand* none = NewPixelWand();
        MagickRotateImage(wand, none, 270);
        DestroyPixelWand(none);
        const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01,
                                      3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
        MagickSetImageProfile(wand, "exif", exif, sizeof exif);
        MagickSetImageOrientation(wand, RightTopOrientation);  // else written over as undefined
    }
    MagickSetImageFormat(wand, coder);
    size_t size = 0;
    unsigned char* blob = MagickGetImageBlob(wand, &size);
    std::vector<std::uint8_t> bytes(blob, blob + size);
    MagickRelinquishMemory(blob);
    DestroyMagickWand(wand);
    return bytes;
}

TEST(ReducedDecode, TurnedJpegsAndHeifsShrinkForTheResizeAndComeOutUpright) {
    const ResizeGeometry face{24, 16, true, false};
    const struct { const char* coder; int orientation; } cases[] = {{"JPEG", 1}, {"JPEG", 6}, {"HEIC", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.coder) + " " + std::to_string(c.orientation));
        const Picture reduced = decodeFirstFrame(photo(c.coder, 384, 256, c.orientation), "photo", face);
        ASSERT_EQ(std::make_pair(reduced.width, reduced.height), std::make_pair(48, 32));
        EXPECT_GT(reduced.pixel(4, 16)[0], 150);  // red on the left, as shown
        EXPECT_GT(reduced.pixel(44, 16)[2], 150);
    }
}

}  // namespace
}  // namespace pivra::imagelib
