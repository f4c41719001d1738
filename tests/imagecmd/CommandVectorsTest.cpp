// The argument vectors the libraries receive, written out by hand.
#include "FakeLibFixture.h"

namespace pivra::test {
namespace {

using Args = std::vector<std::string>;

class CommandVectors : public FakeLibFixture {
protected:
    Args convert(int16_t value, int16_t mode) {
        const int before = calls();
        commands.RunConvert("/in/src.jpg", path("out.gif"), value, mode);
        EXPECT_EQ(calls(), before + 1);
        EXPECT_TRUE(tailIsZero(calls() - 1));
        return args(calls() - 1);
    }
    Args composite(int16_t mode) {
        const int before = calls();
        commands.RunComposite("/m/temp1.gif", path("dst.gif"), "/w/white.mif", mode);
        EXPECT_EQ(calls(), before + 1);
        EXPECT_TRUE(tailIsZero(calls() - 1));
        return args(calls() - 1);
    }
};

TEST_F(CommandVectors, ConvertModes) {
    const std::string dst = path("out.gif");
    EXPECT_EQ(convert(0, TransparentWhite), (Args{"Morphex.dll", "/in/src.jpg", "-transparent", "white", dst}));
    EXPECT_EQ(convert(99, TransparentWhite), convert(0, TransparentWhite));
    EXPECT_EQ(convert(37, Resize), (Args{"Morphex.dll", "/in/src.jpg", "-geometry", "37X192!", dst}));
    EXPECT_EQ(convert(192, Resize), (Args{"Morphex.dll", "/in/src.jpg", "-geometry", "192X192!", dst}));
    EXPECT_EQ(convert(16, ResizeNegate),
              (Args{"Morphex.dll", "/in/src.jpg", "-geometry", "16X192!", "-negate", dst}));
    EXPECT_EQ(convert(6, Animate), (Args{"Morphex.dll", "/in/src.jpg", "-compress", "LZW", "-delay", "6",
                                         "-dispose", "background", "-loop", "0", dst}));
    EXPECT_EQ(convert(5, 4), (Args{"Morphex.dll", "/in/src.jpg", dst}));
    EXPECT_EQ(convert(5, -1), (Args{"Morphex.dll", "/in/src.jpg", dst}));
}

TEST_F(CommandVectors, GeometryHeightFollowsTheCurrentFaceSize) {
    i_size = 600;
    EXPECT_EQ(convert(50, Resize)[3], "50X600!");
    i_size = 12;
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

TEST_F(CommandVectors, EmptySourceStillTakesARow) {
    commands.RunConvert("", path("x.jpg"), i_size, Resize);
    EXPECT_EQ(args(0), (Args{"Morphex.dll", "", "-geometry", "192X192!", path("x.jpg")}));
}

}  // namespace
}  // namespace pivra::test
