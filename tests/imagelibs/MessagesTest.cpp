// Reasons a user reads: what went wrong, in words that match the cause.
#include "ImageLibsTest.h"
#include "PictureBytes.h"

namespace pivra::test {
namespace {

using Messages = ImageLibsTest;

TEST_F(Messages, DamagedContentSaysSo) {
    std::string junk = "\xFF\xD8\xFF";
    std::uint32_t seed = 7;
    for (int i = 0; i < 4000; ++i) junk += char((seed = seed * 1103515245u + 12345u) >> 24);
    std::vector<std::uint8_t> jpeg = EncodeJpeg(SmoothPicture(64, 64, 3));
    for (std::size_t i = jpeg.size() / 2; i < jpeg.size() - 2; ++i) jpeg[i] = 0xFF;  // corrupt scan data
    const std::pair<const char*, std::string> files[] = {{"random.jpg", junk},
                                                        {"smashed.jpg", std::string(jpeg.begin(), jpeg.end())}};
    for (const auto& [name, bytes] : files) {
        std::ofstream(at(name), std::ios::binary) << bytes;
        EXPECT_NE(morphex().run({at(name), at("out.gif")}), 0) << name;
        const std::string reason = morphex().lastError();
        EXPECT_NE(reason.find("cannot decode \"" + at(name) + "\": the picture's data"), std::string::npos) << reason;
        EXPECT_EQ(reason.find("no pixels"), std::string::npos) << reason;
    }
}

}  // namespace
}  // namespace pivra::test
