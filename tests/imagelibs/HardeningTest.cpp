// Names with "?" and "*", small files that claim huge pictures, and an animation frame that cannot be
// read (the streamed assembly copies frames without decoding them).
#include "ImageLibsTest.h"
#include "support/GifInspect.h"
#include "support/RegressionManifest.h"
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
        EXPECT_NE(morphex().run({name, at("missing.gif")}), 0) << name;
        EXPECT_NE(morphex().lastError().find("No such file"), std::string::npos) << morphex().lastError();
        EXPECT_NE(layerik().run({name, at("coin1.png"), at("missing.gif")}), 0) << name;
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

// Each kept input in a child process that reports its peak resident size: one picture of the sizes
// some of them claim is 400 MB; loading the libraries stays well below the bound.
TEST_F(Limits, HugeClaimsCostOnlyWhatTheFileHolds) {
    for (const auto& [file, expected] : ReadManifest(PIVRA_IMAGELIB_REGRESSIONS)) {
        const ProcessResult run = RunProcess({std::string(PIVRA_TEST_DIR) + "/imagecmd_probe", "morphex",
                                              std::string(PIVRA_IMAGELIB_REGRESSIONS) + "/" + file, "-geometry",
                                              "48X48!", at("out.gif")});
        EXPECT_EQ(run.exitCode, expected.refused ? 1 : 0) << file << ": " << run.err;
        const long peakKiB = run.out.empty() ? -1 : std::stol(run.out);
        EXPECT_TRUE(peakKiB > 0 && peakKiB < 160 * 1024) << file << ": " << peakKiB << " KiB";
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
