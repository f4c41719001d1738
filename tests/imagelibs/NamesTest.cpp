// "?" and "*" in picture names: a name that exists is that file; only the
// animation's assembly (it carries -delay, -dispose, -loop) joins a pattern's files.
#include "ImageLibsTest.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

using Names = ImageLibsTest;
const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);

TEST_F(Names, AWildcardNameIsAFileUnlessItAssemblesAnAnimation) {
    save(filled(8, 8, kRed), "coin1.png");
    save(filled(8, 8, kGreen), "coin?.png");
    for (int i = 0; i < 12; ++i) save(filled(8, 8, kBlue), "IMG" + std::to_string(i) + ".png");

    // The file named "coin?.png", not its neighbour; both vocabularies.
    ok(morphex(), {at("coin?.png"), "-geometry", "4X4!", at("face.gif")});
    ok(layerik(), {at("coin?.png"), "-gravity", "center", at("IMG0.png"), at("mixed.png")});
    EXPECT_EQ(read(at("face.gif")).pixel(1, 1), kGreen);
    EXPECT_EQ(read(at("mixed.png")).pixel(1, 1), kGreen);

    // A name that is no file is a missing file, however many names it would match.
    for (const std::string& name : {at("IMG*.png"), at("coin[12].png"), at("co?n1.png")}) {
        EXPECT_NE(morphex().run({name, "-geometry", "4X4!", at("missing.gif")}), 0) << name;
        EXPECT_NE(morphex().lastError().find("No such file"), std::string::npos) << morphex().lastError();
        EXPECT_NE(layerik().run({name, at("coin1.png"), at("missing.png")}), 0) << name;
        EXPECT_NE(layerik().lastError().find("No such file"), std::string::npos) << layerik().lastError();
    }
    EXPECT_FALSE(std::filesystem::exists(at("missing.gif")));

    // The assembly joins the matches in name order; a literal file of that name is itself.
    ok(morphex(), {at("IMG1?.png"), "-delay", "6", "-loop", "0", at("anim.gif")});
    EXPECT_EQ(ReadGifFrames(at("anim.gif")).size(), 2u);  // IMG10, IMG11
    ok(morphex(), {at("coin?.png"), "-delay", "6", "-loop", "0", at("one.gif")});
    const std::vector<QImage> one = ReadGifFrames(at("one.gif"));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].pixel(1, 1), kGreen);
}

}  // namespace
}  // namespace pivra::test
