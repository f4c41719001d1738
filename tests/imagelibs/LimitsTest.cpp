// Small files that claim huge pictures: refused (or decoded at the size the
// file really holds) without the memory the claim would take. Each command
// runs in a child process that reports its peak resident size.
#include "GifBytes.h"
#include "ImageLibsTest.h"
#include "PictureBytes.h"
#include "ProbeRun.h"

namespace pivra::test {
namespace {

using Limits = ImageLibsTest;

// Loading ImageMagick, giflib and libjpeg (and the sanitizers' own tables)
// stays well below this; one picture of the sizes claimed here is 400 MB.
constexpr long kMaxPeakKiB = 160 * 1024;

void put16le(std::string& bytes, std::size_t at, int value) {
    bytes[at] = char(value & 0xff), bytes[at + 1] = char(value >> 8);
}

// The first SOF marker's height and width set to `side`.
std::string withJpegSide(std::string jpeg, int side) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (std::uint8_t(jpeg[i]) == 0xFF && (std::uint8_t(jpeg[i + 1]) == 0xC0 || std::uint8_t(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = char(side >> 8), jpeg[i + 6] = char(side);
            jpeg[i + 7] = char(side >> 8), jpeg[i + 8] = char(side);
            return jpeg;
        }
    return {};
}

TEST_F(Limits, HugeClaimsCostOnlyWhatTheFileHolds) {
    const auto asText = [](const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); };
    const std::string jpeg = asText(EncodeJpeg(SmoothPicture(512, 512, 3)));
    GifLayout dot{10000, 10000, 0, 0, 1, 1, {1}};
    std::string wideFrame = GifFileBytes(dot);
    put16le(wideFrame, 13 + 6 + 5, 10000), put16le(wideFrame, 13 + 6 + 7, 10000);
    std::string budgetFrame = GifFileBytes(dot) + std::string(4000, '\0');
    put16le(budgetFrame, 13 + 6 + 5, 8000), put16le(budgetFrame, 13 + 6 + 7, 8000);

    const struct { const char* name; std::string bytes; const char* reason; } cases[] = {
        // 35 bytes: a 10000 x 10000 screen holding one pixel is that pixel.
        {"screen.gif", GifFileBytes(dot), nullptr},
        {"frame.gif", wideFrame, "the picture's data ends early"},
        {"start.jpg", withJpegSide(jpeg, 10000).substr(0, 700), "the picture's data ends early"},
        {"half.jpg", jpeg.substr(0, jpeg.size() / 2), "the picture's data ends early"},
        // 8000 x 8000 is within the pixel limit, not within the byte budget.
        {"budget.gif", budgetFrame, "is too large to decode"},
    };
    for (const auto& c : cases) {
        std::ofstream(at(c.name), std::ios::binary) << c.bytes;
        const ProbeResult result = RunProbe("morphex", {at(c.name), "-geometry", "48X48!", at("out.gif")}, at("reason"));
        EXPECT_EQ(result.exitCode, c.reason ? 1 : 0) << c.name << ": " << result.reason;
        if (c.reason) {
            EXPECT_NE(result.reason.find(c.reason), std::string::npos) << c.name << ": " << result.reason;
        }
        EXPECT_TRUE(result.peakKiB > 0 && result.peakKiB < kMaxPeakKiB) << c.name << ": " << result.peakKiB << " KiB";
    }
    EXPECT_EQ(read(at("out.gif")).size(), QSize(48, 48));  // written by the first case only
}

}  // namespace
}  // namespace pivra::test
