// Bad commands and hostile input: non-zero, no output, a reason, no debris.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "ImageLibraries.h"
#include "TestPictures.h"

namespace pivra::test {
namespace {

class Refusal : public ::testing::Test {
protected:
    TestFolder folder;
    std::string good, out;

    void SetUp() override {
        good = folder.path("good.png");
        out = folder.path("out.gif");
        savePicture(solidImage(8, 8, Qt::red), good, "PNG");
    }

    // The command fails, leaves nothing new behind and says why in one line.
    void expectRefused(const ImageCommandLibrary& library, const std::vector<std::string>& args,
                       const std::string& what) {
        const std::vector<std::string> before = folder.names();
        EXPECT_NE(library.run(args), 0) << what;
        const std::string reason = library.lastError();
        EXPECT_FALSE(reason.empty()) << what;
        EXPECT_EQ(reason.find('\n'), std::string::npos) << what;
        EXPECT_EQ(folder.names(), before) << what;
    }
};

TEST_F(Refusal, BadConvertCommands) {
    expectRefused(morphex(), {good, "-blur", "3", out}, "unknown option");
    expectRefused(morphex(), {good, "-geometry", out}, "missing value");
    expectRefused(morphex(), {good, "-transparent", out}, "missing colour");
    expectRefused(morphex(), {good, "-transparent", "chartreuse-ish", out}, "unknown colour");
    for (const char* geometry : {"0x10!", "10x0!", "-5x10!", "10x-5!", "abc", "10x!", "x10!", "10!", "10x10%", "99999x10!", ""})
        expectRefused(morphex(), {good, "-geometry", geometry, out}, std::string("geometry ") + geometry);
    expectRefused(morphex(), {good, "-delay", "-1", out}, "negative delay");
    expectRefused(morphex(), {good, "-dispose", "sideways", out}, "bad disposal");
    expectRefused(morphex(), {good, "-compress", "JPEG", out}, "bad compression");
    expectRefused(morphex(), {good, "stray", out}, "stray argument");
    expectRefused(morphex(), {good}, "no output");
    expectRefused(morphex(), {}, "no arguments");
    expectRefused(morphex(), {good, folder.path("out.tiff")}, "unknown extension");
    expectRefused(morphex(), {good, folder.path("noextension")}, "no extension");
    expectRefused(morphex(), {folder.path("missing.png"), out}, "missing input");
    expectRefused(morphex(), {folder.dir(), out}, "folder as input");
}

TEST_F(Refusal, BadCompositeCommands) {
    expectRefused(layerik(), {good, "-gravity", "middle", good, out}, "bad gravity");
    expectRefused(layerik(), {good, good, "-gravity"}, "missing gravity");
    expectRefused(layerik(), {good, "-compose", "over", good, out}, "unknown option");
    expectRefused(layerik(), {good, out}, "too few files");
    expectRefused(layerik(), {good, good, good, good, out}, "too many files");
    expectRefused(layerik(), {good, folder.path("missing.png"), out}, "missing base");
    expectRefused(layerik(), {good, good, folder.path("missing.png"), out}, "missing mask");
    expectRefused(layerik(), {good, good, folder.path("out.xyz")}, "unknown extension");
}

TEST_F(Refusal, ContentThatIsNotAPicture) {
    writeBytes(folder.path("text.jpg"), std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o', '\n'});
    writeBytes(folder.path("empty.png"), {});
    // Valid magic, damaged body.
    std::vector<std::uint8_t> broken = readBytes(good);
    broken.resize(30);
    writeBytes(folder.path("broken.png"), broken);
    // A format outside the five (a PPM), named as a PNG.
    const std::string ppm = "P6\n2 2\n255\n............";
    writeBytes(folder.path("ppm.png"), std::vector<std::uint8_t>(ppm.begin(), ppm.end()));
    for (const char* name : {"text.jpg", "empty.png", "broken.png", "ppm.png"}) {
        expectRefused(morphex(), {folder.path(name), out}, name);
        expectRefused(layerik(), {folder.path(name), good, out}, name);
        expectRefused(layerik(), {good, folder.path(name), out}, name);
    }
}

TEST_F(Refusal, HugeClaimedSizeIsRefused) {
    writeBytes(folder.path("huge.png"), pngHeaderClaiming(30000, 30000));
    writeBytes(folder.path("wide.png"), pngHeaderClaiming(70000, 10));
    expectRefused(morphex(), {folder.path("huge.png"), "-geometry", "10x10!", out}, "30000 x 30000");
    expectRefused(morphex(), {folder.path("wide.png"), out}, "70000 wide");
    writeBytes(folder.path("huge.gif"), gifHeaderClaiming(30000, 30000));
    expectRefused(morphex(), {folder.path("huge.gif"), out}, "30000 x 30000 GIF");
    writeBytes(folder.path("cut.gif"), gifHeaderClaiming(300, 300));  // too little data
    expectRefused(morphex(), {folder.path("cut.gif"), out}, "truncated GIF");
    expectRefused(layerik(), {good, "-gravity", "center", folder.path("huge.png"), out}, "huge base");
}

TEST_F(Refusal, LastErrorIsClearedBySuccess) {
    ASSERT_NE(morphex().run({good, "-bogus", out}), 0);
    ASSERT_NE(morphex().lastError(), "");
    ASSERT_EQ(morphex().run({good, out}), 0);
    EXPECT_EQ(morphex().lastError(), "");
    ASSERT_NE(layerik().run({good, "-bogus", good, out}), 0);
    ASSERT_EQ(layerik().run({good, good, out}), 0);
    EXPECT_EQ(layerik().lastError(), "");

    // Each thread has its own last error.
    std::string otherThreadsError;
    std::thread other([&] {
        morphex().run({good, "-bogus", out});
        otherThreadsError = morphex().lastError();
    });
    other.join();
    EXPECT_NE(otherThreadsError, "");
    EXPECT_EQ(morphex().lastError(), "");
}

TEST_F(Refusal, FailedWriteLeavesNoTemporaryFile) {
    // The output name is taken by a folder: the rename fails.
    std::filesystem::create_directory(folder.path("taken.gif"));
    expectRefused(morphex(), {good, folder.path("taken.gif")}, "output is a folder");
    expectRefused(layerik(), {good, good, folder.path("taken.gif")}, "output is a folder");
    expectRefused(morphex(), {good, folder.path("nofolder/out.gif")}, "output folder missing");
}

TEST_F(Refusal, FailureKeepsAnExistingOutput) {
    savePicture(solidImage(3, 3, Qt::blue), folder.path("keep.png"), "PNG");
    const std::vector<std::uint8_t> before = readBytes(folder.path("keep.png"));
    expectRefused(morphex(), {folder.path("missing.png"), folder.path("keep.png")}, "missing input");
    EXPECT_EQ(readBytes(folder.path("keep.png")), before);
}

TEST(HostileNames, AreOnlyFileNames) {
    TestFolder folder;
    const std::vector<std::pair<std::string, std::string>> names = {
        {"a[1].png", "out[1].png"}, {"x|y.gif", "o|p.gif"}, {"c:d.gif", "e:f.gif"},
        {"%d.gif", "%03d.gif"},     {"@list.gif", "@out.gif"}, {"png:z.png", "gif:w.gif"}};
    const QImage picture = solidImage(6, 6, QColor(10, 200, 30));
    std::vector<std::string> expected;
    for (const auto& [in, outName] : names) {
        if (in.size() > 4 && in.compare(in.size() - 4, 4, ".gif") == 0)
            saveGif({picture}, folder.path(in));
        else
            savePicture(picture, folder.path(in), "PNG");
        ASSERT_EQ(morphex().run({folder.path(in), "-geometry", "3x3!", folder.path(outName)}), 0)
            << in << ": " << morphex().lastError();
        QImage result = readPicture(folder.path(outName));
        EXPECT_EQ(result.size(), QSize(3, 3)) << outName;
        EXPECT_EQ(maxChannelDifference(result, solidImage(3, 3, QColor(10, 200, 30))), 0) << outName;
        ASSERT_EQ(layerik().run({folder.path(in), "-gravity", "center", folder.path(in), folder.path("c" + outName)}), 0)
            << in << ": " << layerik().lastError();
        EXPECT_EQ(readPicture(folder.path("c" + outName)).size(), QSize(6, 6));
        expected.insert(expected.end(), {in, outName, "c" + outName});
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder.names(), expected);
    // "[0]" after an existing name does not select a frame of it.
    const std::vector<std::string> before = folder.names();
    EXPECT_NE(morphex().run({folder.path("x|y.gif[0]"), folder.path("z.gif")}), 0);
    EXPECT_EQ(folder.names(), before);
}

}  // namespace
}  // namespace pivra::test
