// Bad commands and hostile input: non-zero, a one-line reason, no file left behind.
#include <chrono>
#include <thread>

#include "ImageLibsTest.h"

namespace pivra::test {
namespace {

class Refusal : public ImageLibsTest {
protected:
    std::string good = save(filled(8, 8, Qt::red), "good.png"), out = at("out.gif");

    void expectRefused(const ImageCommandLibrary& library, const std::vector<std::string>& args) {
        const std::set<std::string> before = names();
        EXPECT_NE(library.run(args), 0) << ::testing::PrintToString(args);
        const std::string reason = library.lastError();
        EXPECT_NE(reason, "") << ::testing::PrintToString(args);
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
        EXPECT_EQ(names(), before) << ::testing::PrintToString(args);
    }
};

TEST_F(Refusal, BadCommandsGiveAReasonAndLeaveNoFile) {
    std::filesystem::create_directory(at("taken.gif"));  // the final rename fails
    const std::string kept = bytesOf(good);
    const std::vector<std::vector<std::string>> convert = {
        {good, "-blur", "3", out}, {good, "-geometry", out}, {good, "-transparent", out},
        {good, "-transparent", "chartreuse-ish", out}, {good, "-delay", "-1", out}, {good, "-dispose", "sideways", out},
        {good, "-compress", "JPEG", out}, {good, "stray", out}, {good}, {}, {good, at("out.tiff")},
        {good, at("noextension")}, {at("missing.png"), out}, {dir.str(), out}, {good, at("taken.gif")},
        {good, at("nofolder/out.gif")}, {at("none*.gif"), "-loop", "0", out}, {at("missing/*.gif"), out},
        {at("missing.png"), good}};
    for (const auto& args : convert) expectRefused(morphex(), args);
    for (const char* geometry : {"0x10!", "10x0!", "-5x10!", "abc", "10x!", "x10!", "10!", "10x10%", "99999x10!", ""})
        expectRefused(morphex(), {good, "-geometry", geometry, out});
    const std::vector<std::vector<std::string>> composite = {
        {good, "-gravity", "middle", good, out}, {good, good, "-gravity"}, {good, "-compose", "over", good, out},
        {good, out}, {good, good, good, good, out}, {good, at("missing.png"), out},
        {good, good, at("missing.png"), out}, {good, good, at("out.xyz")}, {good, good, at("taken.gif")}};
    for (const auto& args : composite) expectRefused(layerik(), args);
    EXPECT_EQ(bytesOf(good), kept);  // a failed command keeps what was there

    // Success clears the reason, and each thread has its own.
    ok(morphex(), {good, out});
    ok(layerik(), {good, good, out});
    std::string otherThreads;
    std::thread([&] { otherThreads = morphex().run({good, "-bogus", out}) ? morphex().lastError() : ""; }).join();
    EXPECT_NE(otherThreads, "");
    EXPECT_EQ(morphex().lastError(), "");
}

TEST_F(Refusal, ContentThatIsNotAPictureOrClaimsTooMuch) {
    ok(morphex(), {good, at("good.gif")});
    ok(morphex(), {good, at("good.bmp")});
    const std::string png = bytesOf(good), gif = bytesOf(at("good.gif")), bmp = bytesOf(at("good.bmp"));
    // Sizes of 30000 x 30000 in the GIF screen and the BMP header; the pixels are a few bytes.
    const std::string huge = std::string("\x30\x75\0\0", 4);
    const std::pair<const char*, std::string> files[] = {{"text.jpg", "hello\n"}, {"empty.png", ""},
        {"broken.png", png.substr(0, 30)}, {"cut.gif", gif.substr(0, gif.size() / 2)},
        {"ppm.png", "P6\n2 2\n255\n............"}, {"huge.bmp", bmp.substr(0, 18) + huge + huge + bmp.substr(26)},
        {"huge.gif", gif.substr(0, 6) + huge.substr(0, 2) + huge.substr(0, 2) + gif.substr(10)}};
    for (const auto& [name, bytes] : files) {
        std::ofstream(at(name), std::ios::binary) << bytes;
        const auto start = std::chrono::steady_clock::now();
        expectRefused(morphex(), {at(name), "-geometry", "10x10!", out});
        expectRefused(layerik(), {at(name), good, out});
        expectRefused(layerik(), {good, "-gravity", "center", at(name), out});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << name;
    }
}

TEST_F(Refusal, HostileNamesAreOnlyFileNames) {
    const QColor green(10, 200, 30);
    const std::string plain = save(filled(6, 6, green), "plain.gif");
    // Decoded by content, so a GIF named ".png" is still read.
    for (const std::string name : {"a[1].png", "x|y.gif", "c:d.gif", "%d.gif", "%03d.png", "@list.gif", "png:z.png"}) {
        std::filesystem::copy_file(plain, at(name));
        ok(morphex(), {at(name), "-geometry", "3x3!", at(name + ".gif")});
        ok(layerik(), {at(name), "-gravity", "center", at(name), at(name + ".png")});
        EXPECT_EQ(offPixels(read(at(name + ".gif")), filled(3, 3, green)), 0) << name;
        EXPECT_EQ(offPixels(read(at(name + ".png")), filled(6, 6, green)), 0) << name;
    }
    EXPECT_EQ(names().size(), 2 + 7 * 3u);  // nothing written under another name
    expectRefused(morphex(), {at("x|y.gif[0]"), at("z.gif")});  // not a frame of "x|y.gif"
}

}  // namespace
}  // namespace pivra::test
