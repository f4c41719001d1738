// ImageMagick's resource limits are the host process's too: the libraries
// lower them to ours and never raise what the host already made stricter.
#include <gtest/gtest.h>
#include <wand/MagickWand.h>

#include "MagickSession.h"

namespace pivra::imagelib {
namespace {

TEST(MagickLimits, LoweredToOursNeverRaised) {
    ensureMagickReady();
    MagickSetResourceLimit(WidthResource, 1000);                  // a host's stricter limit
    MagickSetResourceLimit(AreaResource, kMaxPixels + 5000000);   // a looser one
    lowerMagickLimits();
    EXPECT_EQ(MagickGetResourceLimit(WidthResource), 1000u);
    EXPECT_EQ(MagickGetResourceLimit(AreaResource), static_cast<MagickSizeType>(kMaxPixels));
    EXPECT_LE(MagickGetResourceLimit(HeightResource), static_cast<MagickSizeType>(kMaxSide));
    EXPECT_LE(MagickGetResourceLimit(ListLengthResource), kMaxFrames);
    MagickSetResourceLimit(WidthResource, kMaxSide);
}

}  // namespace
}  // namespace pivra::imagelib
