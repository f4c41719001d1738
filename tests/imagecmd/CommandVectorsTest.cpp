// The argument vectors the libraries receive, written out by hand.
#include "FakeLibFixture.h"

namespace pivra::test {
namespace {

using Args = std::vector<std::string>;

class CommandVectors : public FakeLibFixture {
protected:
    // The vector of the call just made; entries past argc must be null.
    Args last() {
        EXPECT_TRUE(call(calls() - 1).tailIsZero);
        return args(calls() - 1);
    }
    Args convert(int16_t value, int16_t mode) {
        commands.RunConvert("/in/src.jpg", path("out.gif"), value, mode);
        return last();
    }
    Args composite(int16_t mode) {
        commands.RunComposite("/m/temp1.gif", path("dst.gif"), "/w/white.mif", mode);
        return last();
    }
};

TEST_F(CommandVectors, ConvertModes) {
    const std::string dst = path("out.gif");
    EXPECT_EQ(convert(0, TransparentWhite), (Args{"Morphex.dll", "/in/src.jpg", "-transparent", "white", dst}));
    EXPECT_EQ(convert(37, Resize), (Args{"Morphex.dll", "/in/src.jpg", "-geometry", "37X192!", dst}));
    EXPECT_EQ(convert(16, ResizeNegate),
              (Args{"Morphex.dll", "/in/src.jpg", "-geometry", "16X192!", "-negate", dst}));
    EXPECT_EQ(convert(6, Animate), (Args{"Morphex.dll", "/in/src.jpg", "-compress", "LZW", "-delay", "6",
                                         "-dispose", "background", "-loop", "0", dst}));
    EXPECT_EQ(convert(5, 4), (Args{"Morphex.dll", "/in/src.jpg", dst}));
    EXPECT_EQ(convert(5, -1), (Args{"Morphex.dll", "/in/src.jpg", dst}));
    i_size = 12;  // the geometry's height is the current face size
    EXPECT_EQ(convert(1, ResizeNegate)[3], "1X12!");
}

TEST_F(CommandVectors, CompositeModes) {
    const std::string dst = path("dst.gif");
    EXPECT_EQ(composite(CenterOnBase),
              (Args{"Layerik.dll", "/m/temp1.gif", "-gravity", "center", "/w/white.mif", dst}));
    const Args masked{"Layerik.dll", "/m/temp1.gif", "/w/white.mif", "/w/white.mif", dst};
    EXPECT_EQ(composite(MaskWithBase), masked);
    EXPECT_EQ(composite(2), masked);
    EXPECT_EQ(composite(-1), masked);
}

}  // namespace
}  // namespace pivra::test
