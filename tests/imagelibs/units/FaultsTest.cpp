// What a command cannot reach on demand: a GIF sink that stops taking bytes, a full device, and
// ImageMagick's resource limits, which are the host process's too.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <wand/MagickWand.h>

#include "CommandError.h"
#include "FileBytes.h"
#include "GifEncoder.h"
#include "MagickSession.h"

namespace pivra::imagelib {
namespace {

// Takes `room` bytes, then refuses; counts what is offered after that.
struct FillingSink : GifSink {
    explicit FillingSink(std::size_t room) : room(room) {}
    bool append(const std::uint8_t* data, std::size_t size) noexcept override {
        if (refused || bytes.size() + size > room) return offeredAfterRefusal += refused, refused = true, false;
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::size_t room;
    bool refused = false;
    std::vector<std::uint8_t> bytes;
    int offeredAfterRefusal = 0;
};

TEST(GifSink, ARefusingSinkFailsTheEncodeAndIsNotWrittenAgain) {
    std::vector<Picture> frames(3, Picture(40, 30));
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 40 * 30; ++i) {
            std::uint8_t* px = frames[f].pixel(i % 40, i / 40);
            px[0] = std::uint8_t(i % 40 * 6), px[1] = std::uint8_t(i / 40 * 8), px[2] = std::uint8_t(f * 80);
            px[3] = i % 40 + i / 40 < 4 ? 0 : 255;
        }
    const AnimationSettings settings{6, 2, 0};
    const std::vector<std::uint8_t> whole = encodeGif(frames, settings);
    FillingSink roomy(whole.size());
    encodeGifTo(frames, settings, roomy);
    EXPECT_EQ(roomy.bytes, whole);
    // Full before the header, in the loop block, in the pixels, one byte short of the trailer.
    for (const std::size_t room : {std::size_t(0), std::size_t(5), std::size_t(30), whole.size() / 2, whole.size() - 1}) {
        FillingSink sink(room);
        EXPECT_THROW(encodeGifTo(frames, settings, sink), CommandError) << room;
        EXPECT_EQ(sink.offeredAfterRefusal, 0) << room;
        EXPECT_LE(sink.bytes.size(), room);
    }
}

TEST(OutputWrite, AFullDeviceSaysNoSpaceLeft) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::string reason;
    try {
        writeAllBytes(fd, std::vector<std::uint8_t>(70000, 7), "out.gif");
    } catch (const CommandError& e) {
        reason = e.what();
    }
    ::close(fd);
    EXPECT_EQ(reason, "cannot write output \"out.gif\": No space left on device");
}

TEST(MagickLimits, LoweredToOursNeverRaised) {
    ensureMagickReady();
    MagickSetResourceLimit(WidthResource, 1000);                 // a host's stricter limit
    MagickSetResourceLimit(AreaResource, kMaxPixels + 5000000);  // a looser one
    lowerMagickLimits();
    EXPECT_EQ(MagickGetResourceLimit(WidthResource), 1000u);
    EXPECT_EQ(MagickGetResourceLimit(AreaResource), static_cast<MagickSizeType>(kMaxPixels));
    EXPECT_LE(MagickGetResourceLimit(HeightResource), static_cast<MagickSizeType>(kMaxSide));
    EXPECT_LE(MagickGetResourceLimit(ListLengthResource), kMaxFrames);
    MagickSetResourceLimit(WidthResource, kMaxSide);
}

}  // namespace
}  // namespace pivra::imagelib
