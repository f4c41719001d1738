// The GIF encoder's output callback: a sink that stops taking bytes fails
// the encode with a reason, and is never written through again, not at close.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include "CommandError.h"
#include "GifEncoder.h"

namespace pivra::imagelib {
namespace {

// Takes `room` bytes, then refuses; counts what is offered after that.
class FillingSink : public GifSink {
public:
    explicit FillingSink(std::size_t room) : room_(room) {}
    bool append(const std::uint8_t* data, std::size_t size) noexcept override {
        if (refused_) {
            ++offeredAfterRefusal;
            return false;
        }
        if (bytes.size() + size > room_) {
            refused_ = true;
            return false;
        }
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
    int offeredAfterRefusal = 0;

private:
    std::size_t room_;
    bool refused_ = false;
};

std::vector<Picture> threeFrames() {
    std::vector<Picture> frames;
    for (int f = 0; f < 3; ++f) {
        Picture p(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                std::uint8_t* px = p.pixel(x, y);
                px[0] = std::uint8_t(x * 6), px[1] = std::uint8_t(y * 8), px[2] = std::uint8_t(f * 80);
                px[3] = x + y < 4 ? 0 : 255;
            }
        frames.push_back(p);
    }
    return frames;
}

int decodedFrames(const std::vector<std::uint8_t>& bytes) {
    struct Reader { const std::vector<std::uint8_t>* b; std::size_t at = 0; } reader{&bytes};
    auto read = [](GifFileType* gif, GifByteType* out, int n) {
        auto* r = static_cast<Reader*>(gif->UserData);
        const int take = int(std::min<std::size_t>(std::size_t(n), r->b->size() - r->at));
        std::copy_n(r->b->data() + r->at, take, out);
        r->at += std::size_t(take);
        return take;
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, read, &error);
    if (!gif) return -1;
    const int frames = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : -1;
    DGifCloseFile(gif, &error);
    return frames;
}

TEST(GifSink, ARefusingSinkFailsTheEncodeAndIsNotWrittenAgain) {
    const std::vector<Picture> frames = threeFrames();
    const AnimationSettings settings{6, 2, 0};
    const std::vector<std::uint8_t> whole = encodeGif(frames, settings);
    EXPECT_EQ(decodedFrames(whole), 3);  // read back by giflib's own decoder

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

}  // namespace
}  // namespace pivra::imagelib
