// Names with "?" and "*", small files that claim huge pictures, the reasons a user reads, and an
// animation frame that cannot be read (the streamed assembly copies frames without decoding them).
#include "GifBytes.h"
#include "ImageLibsTest.h"
#include "PictureBytes.h"
#include "support/GifInspect.h"
#include "support/RunProcess.h"

namespace pivra::test {
namespace {

using Names = ImageLibsTest;
using Limits = ImageLibsTest;
using Messages = ImageLibsTest;

// A name that exists is that file; only the assembly (it carries -delay, -loop) joins a pattern's files.
TEST_F(Names, AWildcardNameIsAFileUnlessItAssemblesAnAnimation) {
    const QRgb green = qRgb(0, 255, 0);
    save(filled(8, 8, Qt::red), "coin1.png");
    save(filled(8, 8, green), "coin?.png");
    for (int i = 0; i < 12; ++i) save(filled(8, 8, Qt::blue), "IMG" + std::to_string(i) + ".png");
    ok(morphex(), {at("coin?.png"), "-geometry", "4X4!", at("face.gif")});
    ok(layerik(), {at("coin?.png"), "-gravity", "center", at("IMG0.png"), at("mixed.png")});
    EXPECT_EQ(read(at("face.gif")).pixel(1, 1), green);
    EXPECT_EQ(read(at("mixed.png")).pixel(1, 1), green);
    for (const std::string& name : {at("IMG*.png"), at("coin[12].png"), at("co?n1.png")}) {
        EXPECT_NE(morphex().run({name, "-geometry", "4X4!", at("missing.gif")}), 0) << name;
        EXPECT_NE(morphex().lastError().find("No such file"), std::string::npos) << morphex().lastError();
        EXPECT_NE(layerik().run({name, at("coin1.png"), at("missing.png")}), 0) << name;
        EXPECT_NE(layerik().lastError().find("No such file"), std::string::npos) << layerik().lastError();
    }
    EXPECT_FALSE(std::filesystem::exists(at("missing.gif")));
    ok(morphex(), {at("IMG1?.png"), "-delay", "6", "-loop", "0", at("anim.gif")});
    EXPECT_EQ(ReadGifFrames(at("anim.gif")).size(), 2u);  // IMG10, IMG11
    ok(morphex(), {at("coin?.png"), "-delay", "6", "-loop", "0", at("one.gif")});
    const std::vector<QImage> one = ReadGifFrames(at("one.gif"));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].pixel(1, 1), green);
}

// Each command in a child process that reports its peak resident size: one picture of the sizes
// claimed here is 400 MB; loading the libraries stays well below the bound.
TEST_F(Limits, HugeClaimsCostOnlyWhatTheFileHolds) {
    const auto put16 = [](std::string& b, std::size_t i, int v) { b[i] = char(v & 0xff), b[i + 1] = char(v >> 8); };
    const std::vector<std::uint8_t> encoded = EncodeJpeg(SmoothPicture(512, 512, 3));
    const std::string jpeg(encoded.begin(), encoded.end());
    std::string bigJpeg = jpeg;  // the first SOF's height and width set to 10000
    for (std::size_t i = 2; i + 9 < bigJpeg.size(); ++i)
        if (std::uint8_t(bigJpeg[i]) == 0xFF && (std::uint8_t(bigJpeg[i + 1]) | 2) == 0xC2) {
            put16(bigJpeg, i + 5, 0x1027), put16(bigJpeg, i + 7, 0x1027);  // big-endian 10000
            break;
        }
    GifLayout dot{10000, 10000, 0, 0, 1, 1, {1}};
    std::string wideFrame = GifFileBytes(dot), budgetFrame = GifFileBytes(dot) + std::string(4000, '\0');
    put16(wideFrame, 24, 10000), put16(wideFrame, 26, 10000);
    put16(budgetFrame, 24, 8000), put16(budgetFrame, 26, 8000);  // within the pixel limit, not the byte budget
    const struct { const char* name; std::string bytes; const char* reason; } cases[] = {
        {"screen.gif", GifFileBytes(dot), nullptr},  // 35 bytes: a 10000 x 10000 screen holding one pixel
        {"frame.gif", wideFrame, "the picture's data ends early"},
        {"start.jpg", bigJpeg.substr(0, 700), "the picture's data ends early"},
        {"half.jpg", jpeg.substr(0, jpeg.size() / 2), "the picture's data ends early"},
        {"budget.gif", budgetFrame, "is too large to decode"}};
    for (const auto& c : cases) {
        std::ofstream(at(c.name), std::ios::binary) << c.bytes;
        const ProcessResult run = RunProcess({std::string(PIVRA_TEST_DIR) + "/imagecmd_probe", "morphex", at(c.name),
                                              "-geometry", "48X48!", at("out.gif")});
        EXPECT_EQ(run.exitCode, c.reason ? 1 : 0) << c.name << ": " << run.err;
        if (c.reason) {
            EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.name << ": " << run.err;
        }
        const long peakKiB = run.out.empty() ? -1 : std::stol(run.out);
        EXPECT_TRUE(peakKiB > 0 && peakKiB < 160 * 1024) << c.name << ": " << peakKiB << " KiB";
    }
    EXPECT_EQ(read(at("out.gif")).size(), QSize(48, 48));  // written by the first case only
}

TEST_F(Messages, DamagedContentSaysSo) {
    std::string junk = "\xFF\xD8\xFF";
    std::uint32_t seed = 7;
    for (int i = 0; i < 4000; ++i) junk += char((seed = seed * 1103515245u + 12345u) >> 24);
    std::vector<std::uint8_t> jpeg = EncodeJpeg(SmoothPicture(64, 64, 3));
    for (std::size_t i = jpeg.size() / 2; i < jpeg.size() - 2; ++i) jpeg[i] = 0xFF;  // corrupt scan data
    for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"random.jpg", junk},
                                      {"smashed.jpg", std::string(jpeg.begin(), jpeg.end())}}) {
        std::ofstream(at(name), std::ios::binary) << bytes;
        EXPECT_NE(morphex().run({at(name), at("out.gif")}), 0) << name;
        const std::string reason = morphex().lastError();
        EXPECT_NE(reason.find("cannot decode \"" + at(name) + "\": the picture's data"), std::string::npos) << reason;
        EXPECT_EQ(reason.find("no pixels"), std::string::npos) << reason;
    }
}

TEST_F(Messages, AnAnimationFrameThatCannotBeReadStopsIt) {
    std::filesystem::create_directory(at("Images"));
    const std::string png = save(filled(10, 10, Qt::red), "f.png");
    for (const char* name : {"00", "02"}) ok(morphex(), {png, at("Images/" + std::string(name) + ".gif")});
    const std::string whole = FileContents(at("Images/02.gif"));
    for (const std::string& bytes :  // cut in its pixels, cut in its header, not a picture, empty
         {whole.substr(0, whole.size() - 8), whole.substr(0, 12), std::string("GIF? no, text"), std::string()}) {
        std::ofstream(at("Images/01.gif"), std::ios::binary) << bytes;
        EXPECT_NE(morphex().run({at("Images/*.gif"), "-delay", "6", "-dispose", "background", "-loop", "0",
                                 at("anim.gif")}), 0);
        EXPECT_NE(morphex().lastError().find("01.gif"), std::string::npos) << morphex().lastError();
        EXPECT_FALSE(std::filesystem::exists(at("anim.gif"))) << bytes.size();
    }
}

}  // namespace
}  // namespace pivra::test
