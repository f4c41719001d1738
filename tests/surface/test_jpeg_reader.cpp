// The JPEG reader: pictures compared with Qt's decoder, the sizes per factor,
// row filler, and every failure with its exact message and surface state.
#include <gtest/gtest.h>

#include <vector>

#include "BmpBytes.h"
#include "JpegBytes.h"
#include "JpegTestSupport.h"
#include "SurfacePixels.h"
#include "SurfaceTempDir.h"
#include "support/RecordingNotifier.h"
#include "surface/JpegReader.h"

namespace pivra {
namespace {

using test::IjlSpy;

class JpegReader : public ::testing::Test {
protected:
    JpegReader() { IjlSpy::Reset(); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.file(name);
        test::WriteFile(path, bytes);
        return path;
    }

    // A picture the reader must not disturb when it fails early.
    void PutEarlierPicture() {
        ASSERT_TRUE(dib.Create(3, 3, 3));
        test::Fill(dib, [](int x, int y) { return test::Bgr{9, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)}; });
        earlierBits = dib.DIBSectionBitsPtr();
    }
    void ExpectEarlierPicture() {
        EXPECT_EQ(dib.DIBSectionBitsPtr(), earlierBits);
        EXPECT_EQ(dib.dib_width(), 3);
        EXPECT_EQ(test::PixelAt(dib, 2, 1), (test::Bgr{9, 2, 1}));
    }
    void ExpectOneMessage(const std::string& prompt) {
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_EQ(notifier.shown[0].prompt, prompt);
        EXPECT_EQ(notifier.shown[0].style, 48);
        EXPECT_EQ(notifier.shown[0].title, "Intel(R) JPEG Library");
    }

    test::TempDir dir;
    test::RecordingNotifier notifier;
    ScopedIjlEntryPoints spy{IjlSpy::EntryPoints()};
    CDIBSection dib;
    std::uint8_t* earlierBits = nullptr;
};

TEST_F(JpegReader, ColourPictureMatchesQtsDecoderAndIsUpright) {
    const test::JpegSource source = test::SmoothPicture(64, 48);
    const auto jpeg = test::EncodeJpeg(source);
    ASSERT_TRUE(ReadJpegFile(dib, Write("ImagA.jpg", jpeg), 1));
    EXPECT_TRUE(notifier.shown.empty());
    ASSERT_EQ(dib.dib_width(), 64);
    ASSERT_EQ(dib.dib_height(), 48);
    EXPECT_EQ(dib.dib_channels(), 3);
    const QImage reference = test::QtDecode(jpeg);
    ASSERT_EQ(reference.size(), QSize(64, 48));
    EXPECT_LE(test::MaxDifference(dib, reference), 2);
    // And close to what was encoded: top-left is dark red-free, bottom-right full red and green.
    const test::Bgr topLeft = test::PixelAt(dib, 0, 0), bottomRight = test::PixelAt(dib, 63, 47);
    EXPECT_LT(topLeft.r, 16);
    EXPECT_LT(topLeft.g, 16);
    EXPECT_GT(bottomRight.r, 239);
    EXPECT_GT(bottomRight.g, 239);
    EXPECT_EQ(IjlSpy::inits, 1);
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST_F(JpegReader, ProgressiveDecodesLikeBaseline) {
    test::JpegSource source = test::SmoothPicture(40, 40);
    source.progressive = true;
    const auto jpeg = test::EncodeJpeg(source);
    ASSERT_TRUE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    EXPECT_LE(test::MaxDifference(dib, test::QtDecode(jpeg)), 2);
}

TEST_F(JpegReader, GreyIsExpandedToBlueGreenRed) {
    test::JpegSource source;
    source.width = 16, source.height = 8, source.components = 1;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) source.pixels.push_back(static_cast<std::uint8_t>(x * 16));
    const auto jpeg = test::EncodeJpeg(source);
    ASSERT_TRUE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    EXPECT_EQ(dib.dib_channels(), 3);
    EXPECT_EQ(IjlSpy::lastDataRead.JPGColor, ijl::IJL_G);
    EXPECT_EQ(IjlSpy::lastDataRead.DIBColor, ijl::IJL_BGR);
    for (int x = 0; x < 16; ++x) {
        const test::Bgr p = test::PixelAt(dib, x, 3);
        EXPECT_EQ(p.b, p.g);
        EXPECT_EQ(p.g, p.r);
        EXPECT_NEAR(p.g, x * 16, 4) << x;
    }
    EXPECT_LE(test::MaxDifference(dib, test::QtDecode(jpeg)), 1);
}

TEST_F(JpegReader, RowFillerFollowsTheSurfaceWidth) {
    const auto five = test::EncodeJpeg(test::SmoothPicture(5, 4));
    ASSERT_TRUE(DecodeJpegBuffer(dib, five.data(), static_cast<std::int32_t>(five.size()), 1));
    EXPECT_EQ(IjlSpy::lastDataRead.DIBWidth, 5);
    EXPECT_EQ(IjlSpy::lastDataRead.DIBPadBytes, 1);
    EXPECT_EQ(IjlSpy::lastDataRead.DIBHeight, -4);
    EXPECT_EQ(IjlSpy::lastDataRead.DIBChannels, 3);
    EXPECT_EQ(IjlSpy::lastDataRead.DIBBytes, dib.DIBSectionBitsPtr());
    EXPECT_EQ(dib.BytesPerScanLine(), 16);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(dib.DIBSectionBitsPtr()[row * 16 + 15], 0) << row;
    EXPECT_LE(test::MaxDifference(dib, test::QtDecode(five)), 2);

    const auto wide = test::EncodeJpeg(test::SmoothPicture(192, 8));
    ASSERT_TRUE(DecodeJpegBuffer(dib, wide.data(), static_cast<std::int32_t>(wide.size()), 1));
    EXPECT_EQ(IjlSpy::lastDataRead.DIBPadBytes, 0);
}

TEST_F(JpegReader, FactorsRoundTheSizeUp) {
    const auto jpeg = test::EncodeJpeg(test::SmoothPicture(101, 75));
    struct Case { std::int32_t factor, width, height; ijl::IJLIOTYPE mode; };
    for (const Case c : {Case{1, 101, 75, ijl::IJL_JBUFF_READWHOLEIMAGE}, Case{2, 51, 38, ijl::IJL_JBUFF_READONEHALF},
                         Case{4, 26, 19, ijl::IJL_JBUFF_READONEQUARTER}, Case{8, 13, 10, ijl::IJL_JBUFF_READONEEIGHTH}}) {
        ASSERT_TRUE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), c.factor)) << c.factor;
        EXPECT_EQ(dib.dib_width(), c.width);
        EXPECT_EQ(dib.dib_height(), c.height);
        // The scaled picture keeps its gradients: left dark, right red.
        EXPECT_LT(test::PixelAt(dib, 0, c.height / 2).r, 40) << c.factor;
        EXPECT_GT(test::PixelAt(dib, c.width - 1, c.height / 2).r, 215) << c.factor;
    }
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(IjlSpy::frees, 4);
}

TEST_F(JpegReader, NotAJpegKeepsTheEarlierPicture) {
    PutEarlierPicture();
    const std::string path = Write("ImagA.jpg", test::BmpFileBytes({2, 2, 24, 0, {}, {}, std::vector<std::uint8_t>(16)}));
    EXPECT_FALSE(ReadJpegFile(dib, path, 1));
    ExpectOneMessage("IJL ERROR: [-5] - The data is not a JPEG image - FAILED TO READ IMAGE PARAMS - ");
    ExpectEarlierPicture();
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST_F(JpegReader, HeaderCutShortFailsTheParameterRead) {
    PutEarlierPicture();
    auto jpeg = test::EncodeJpeg(test::SmoothPicture(32, 32));
    jpeg.resize(40);
    EXPECT_FALSE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    ExpectOneMessage("IJL ERROR: [-6] - The JPEG data ends before the picture is complete - FAILED TO READ IMAGE PARAMS - ");
    ExpectEarlierPicture();
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST_F(JpegReader, TruncatedDataFailsTheDataReadOnANewSurface) {
    PutEarlierPicture();
    auto jpeg = test::EncodeJpeg(test::SmoothPicture(64, 64));
    jpeg.resize(jpeg.size() / 2);
    EXPECT_FALSE(ReadJpegFile(dib, Write("cut.jpg", jpeg), 1));
    ExpectOneMessage("IJL ERROR: [-6] - The JPEG data ends before the picture is complete - FAILED TO READ IMAGE DATA - ");
    EXPECT_EQ(dib.dib_width(), 64);
    EXPECT_EQ(dib.dib_height(), 64);
    EXPECT_EQ(dib.dib_channels(), 3);
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST_F(JpegReader, FourChannelPicturesFailTheDataRead) {
    const auto jpeg = test::EncodeJpeg(test::SmoothPicture(16, 16, 4));
    EXPECT_FALSE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    ExpectOneMessage(
        "IJL ERROR: [-11] - The JPEG colour layout cannot be converted to the destination - FAILED TO READ IMAGE DATA - ");
    EXPECT_EQ(IjlSpy::lastDataRead.JPGColor, ijl::IJL_YCBCRA_FPX);
    EXPECT_EQ(IjlSpy::lastDataRead.DIBColor, ijl::IJL_RGBA_FPX);
    EXPECT_EQ(dib.dib_width(), 16);
    EXPECT_TRUE(test::AllZero(dib));
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST_F(JpegReader, EmptyAndMissingFilesReturnFalseSilently) {
    PutEarlierPicture();
    EXPECT_FALSE(ReadJpegFile(dib, Write("empty.jpg", {}), 1));
    EXPECT_FALSE(ReadJpegFile(dib, dir.file("missing.jpg"), 1));
    EXPECT_FALSE(ReadJpegFile(dib, dir.file(""), 1));  // a folder
    EXPECT_FALSE(DecodeJpegBuffer(dib, nullptr, 10, 1));
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(IjlSpy::inits, 0);
    ExpectEarlierPicture();
}

TEST_F(JpegReader, APictureTooLargeForASurfaceFailsWithoutAMessage) {
    auto jpeg = test::EncodeJpeg(test::SmoothPicture(8, 8));
    // Claim 65000 x 65000 in the frame header (SOF0: FF C0, length, precision, height, width).
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            jpeg[i + 5] = 0xfd, jpeg[i + 6] = 0xe8, jpeg[i + 7] = 0xfd, jpeg[i + 8] = 0xe8;
            break;
        }
    PutEarlierPicture();
    EXPECT_FALSE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(dib.hDib(), nullptr);
    EXPECT_EQ(dib.dib_width(), 0);
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST_F(JpegReader, FailedInitShowsItsMessageAndFreesNothing) {
    PutEarlierPicture();
    IjlSpy::initStatus = ijl::IJL_OUT_OF_MEMORY;
    const auto jpeg = test::EncodeJpeg(test::SmoothPicture(8, 8));
    EXPECT_FALSE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    ExpectOneMessage("IJL ERROR: [-9] - Not enough memory to decode the JPEG - Failed to initialise the IJL library: ");
    EXPECT_EQ(IjlSpy::frees, 0);
    ExpectEarlierPicture();
}

TEST_F(JpegReader, AStatusWithoutTextLeavesTheSeparatorsTogether) {
    IjlSpy::forcedReadStatus = -99;
    IjlSpy::noTexts = true;
    const auto jpeg = test::EncodeJpeg(test::SmoothPicture(8, 8));
    EXPECT_FALSE(DecodeJpegBuffer(dib, jpeg.data(), static_cast<std::int32_t>(jpeg.size()), 1));
    ExpectOneMessage("IJL ERROR: [-99] -  - FAILED TO READ IMAGE PARAMS - ");
    EXPECT_EQ(IjlSpy::frees, 1);
}

TEST(JpegReaderText, ReportAndAnsiText) {
    test::RecordingNotifier notifier;
    ReportJpegError("ctx", 7);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].prompt, "IJL ERROR: [7] -  - ctx");
    EXPECT_EQ(AnsiPtrToString(nullptr), "");
    EXPECT_EQ(AnsiPtrToString("abc\xc3\xa9"), "abc\xc3\xa9");
}

}  // namespace
}  // namespace pivra
