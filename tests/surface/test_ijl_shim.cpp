// The libjpeg-turbo shim on its own: statuses, row order and filler, and the
// refusal of destinations that do not match the data.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "JpegBytes.h"
#include "ijl.h"

namespace pivra {
namespace {

using namespace ijl;

struct Block {
    Block() { EXPECT_EQ(ijlInit(&props), IJL_OK); }
    ~Block() { ijlFree(&props); }
    JPEG_CORE_PROPERTIES props{};
};

void PointAt(JPEG_CORE_PROPERTIES& p, const std::vector<std::uint8_t>& jpeg) {
    p.JPGBytes = jpeg.data();
    p.JPGSizeBytes = static_cast<std::int32_t>(jpeg.size());
}

TEST(IjlShim, InitFillsTheDefaultsAndParamsReadTheHeader) {
    const auto jpeg = test::EncodeJpeg(test::SmoothPicture(21, 13, 1));
    Block b;
    EXPECT_EQ(b.props.DIBChannels, 3);
    EXPECT_EQ(b.props.DIBColor, IJL_BGR);
    EXPECT_NE(b.props.decoder, nullptr);
    PointAt(b.props, jpeg);
    ASSERT_EQ(ijlRead(&b.props, IJL_JBUFF_READPARAMS), IJL_OK);
    EXPECT_EQ(b.props.JPGWidth, 21);
    EXPECT_EQ(b.props.JPGHeight, 13);
    EXPECT_EQ(b.props.JPGChannels, 1);
    EXPECT_EQ(b.props.JPGColor, IJL_G);
}

TEST(IjlShim, BadCallsGetTheirOwnStatus) {
    EXPECT_EQ(ijlInit(nullptr), IJL_INVALID_POINTER);
    EXPECT_EQ(ijlRead(nullptr, IJL_JBUFF_READPARAMS), IJL_INVALID_POINTER);
    EXPECT_EQ(ijlFree(nullptr), IJL_INVALID_POINTER);
    JPEG_CORE_PROPERTIES never{};
    EXPECT_EQ(ijlRead(&never, IJL_JBUFF_READPARAMS), IJL_NOT_INITIALISED);

    const auto jpeg = test::EncodeJpeg(test::SmoothPicture(8, 8));
    Block b;
    EXPECT_EQ(ijlRead(&b.props, IJL_JBUFF_READPARAMS), IJL_NO_JPEG_DATA);
    PointAt(b.props, jpeg);
    EXPECT_EQ(ijlRead(&b.props, static_cast<IJLIOTYPE>(2)), IJL_INVALID_MODE);
    EXPECT_EQ(ijlRead(&b.props, IJL_JBUFF_READWHOLEIMAGE), IJL_INVALID_DIB);  // no picture memory yet

    std::vector<std::uint8_t> memory(8 * 8 * 3);
    b.props.DIBBytes = memory.data();
    b.props.DIBWidth = 7;  // the data is 8 wide
    b.props.DIBHeight = -8;
    EXPECT_EQ(ijlRead(&b.props, IJL_JBUFF_READWHOLEIMAGE), IJL_INVALID_DIB);
    b.props.DIBWidth = 8;
    b.props.DIBColor = IJL_RGBA_FPX;
    EXPECT_EQ(ijlRead(&b.props, IJL_JBUFF_READWHOLEIMAGE), IJL_UNSUPPORTED_COLOR);
    b.props.DIBColor = IJL_BGR;
    EXPECT_EQ(ijlRead(&b.props, IJL_JBUFF_READWHOLEIMAGE), IJL_OK);

    const std::vector<std::uint8_t> text = {'n', 'o', 't', ' ', 'j', 'p', 'g'};
    PointAt(b.props, text);
    EXPECT_EQ(ijlRead(&b.props, IJL_JBUFF_READPARAMS), IJL_NOT_A_JPEG);
}

TEST(IjlShim, EveryStatusHasItsOwnTextAndUnknownOnesNone) {
    std::set<std::string> texts;
    for (IJLERR code = 0; code >= IJL_UNSUPPORTED_COLOR; --code) {
        ASSERT_NE(ijlErrorStr(code), nullptr) << code;
        texts.insert(ijlErrorStr(code));
    }
    EXPECT_EQ(texts.size(), 12u);
    EXPECT_EQ(ijlErrorStr(-12), nullptr);
    EXPECT_EQ(ijlErrorStr(1), nullptr);
}

TEST(IjlShim, RowOrderFollowsTheSignOfTheHeightAndFillerIsLeftAlone) {
    // Top half white, bottom half black, 5 wide: rows of 15 bytes plus 3 filler.
    test::JpegSource s;
    s.width = 5, s.height = 16, s.components = 1;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 5; ++x) s.pixels.push_back(y < 8 ? 255 : 0);
    const auto jpeg = test::EncodeJpeg(s);
    for (const bool bottomUp : {true, false}) {
        Block b;
        PointAt(b.props, jpeg);
        std::vector<std::uint8_t> memory(18 * 16, 0xaa);
        b.props.DIBBytes = memory.data();
        b.props.DIBWidth = 5;
        b.props.DIBHeight = bottomUp ? -16 : 16;
        b.props.DIBPadBytes = 3;
        ASSERT_EQ(ijlRead(&b.props, IJL_JBUFF_READWHOLEIMAGE), IJL_OK);
        for (int row = 0; row < 16; ++row) {
            const bool white = bottomUp ? row >= 8 : row < 8;
            const std::uint8_t* p = &memory[static_cast<std::size_t>(row) * 18];
            EXPECT_NEAR(p[0], white ? 255 : 0, 4) << "row " << row;
            EXPECT_NEAR(p[14], white ? 255 : 0, 4) << "row " << row;
            EXPECT_EQ(p[15], 0xaa);
            EXPECT_EQ(p[17], 0xaa);
        }
    }
}

TEST(IjlShim, FreeTwiceAndInitAgainAreSafe) {
    JPEG_CORE_PROPERTIES p{};
    ASSERT_EQ(ijlInit(&p), IJL_OK);
    EXPECT_EQ(ijlFree(&p), IJL_OK);
    EXPECT_EQ(p.decoder, nullptr);
    EXPECT_EQ(ijlFree(&p), IJL_OK);
    ASSERT_EQ(ijlInit(&p), IJL_OK);
    EXPECT_EQ(ijlFree(&p), IJL_OK);
}

}  // namespace
}  // namespace pivra
