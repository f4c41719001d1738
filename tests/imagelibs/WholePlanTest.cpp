// Every one of a build's 141 outputs, made by the quick path (picture cache, resize memo, buffer pool,
// copied animation frames), against the same call replayed on the plain path, where every file and
// frame is decoded (and encoded) again. Each call's output is kept as it was right after the call.
#include "ImageLibsTest.h"
#include "support/GifInspect.h"
#include "support/RunProcess.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

class WholePlan : public ::testing::TestWithParam<int> {
protected:
    TempFolder dir{"wholeplan"};

    // The snapshots' names, after replaying the calls on the quick or the plain path.
    std::set<std::string> replay(const std::string& calls, const std::string& snapshots, bool plain) {
        fs::remove_all(dir / "work/Images"), fs::remove_all(dir / "work/Masks");
        const ProcessResult run = RunProcess({PIVRA_REPLAY, calls, snapshots},
                                             {std::string("PIVRA_IMAGELIB_PLAIN=") + (plain ? "1" : "0")});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(snapshots)) names.insert(entry.path().filename());
        return names;
    }
};

TEST_P(WholePlan, QuickPathWritesWhatThePlainPathWrites) {
    const std::string bin = PIVRA_BIN_DIR, calls = dir / "calls.txt";
    const ProcessResult traced =
        RunProcess({bin + "/pivra-make", bin + "/sample_head.jpg", bin + "/sample_tail.jpg", dir / "out.gif", "--scale",
                    std::to_string(GetParam()), "--workdir", dir / "work", "--trace", "--quiet"});
    ASSERT_EQ(traced.exitCode, 0) << traced.err;
    std::ofstream(calls) << traced.out;
    ASSERT_EQ(std::count(traced.out.begin(), traced.out.end(), '\n'), 141);
    const std::set<std::string> quick = replay(calls, dir / "quick", false);
    ASSERT_EQ(quick.size(), 141u);
    ASSERT_EQ(quick, replay(calls, dir / "plain", true));

    for (const std::string& name : quick) {
        SCOPED_TRACE(name);
        const std::string ours = dir / ("quick/" + name), reference = dir / ("plain/" + name);
        if (name.find("pivra") == std::string::npos) {  // the animation, under its temporary name
            EXPECT_TRUE(FileContents(ours) == FileContents(reference));
            continue;
        }
        // The animation copies frames as they are: the same structure and pixels.
        const GifInfo a = ReadGifStructure(ours), b = ReadGifStructure(reference);
        ASSERT_TRUE(a.ok && b.ok);
        EXPECT_EQ(std::tie(a.screenWidth, a.screenHeight, a.loopCount),
                  std::tie(b.screenWidth, b.screenHeight, b.loopCount));
        ASSERT_EQ(a.frames.size(), b.frames.size());
        for (std::size_t f = 0; f < a.frames.size(); ++f) {
            const GifFrameInfo &p = a.frames[f], &q = b.frames[f];
            EXPECT_EQ(std::make_tuple(p.delayCs, p.disposal, p.width, p.height, p.transparentIndex >= 0),
                      std::make_tuple(q.delayCs, q.disposal, q.width, q.height, q.transparentIndex >= 0)) << f;
        }
        const std::vector<QImage> pixels = ReadGifFrames(ours), expected = ReadGifFrames(reference);
        ASSERT_EQ(pixels.size(), 50u);
        ASSERT_EQ(pixels.size(), expected.size());
        for (std::size_t f = 0; f < pixels.size(); ++f) EXPECT_EQ(offPixels(pixels[f], expected[f]), 0) << "frame " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, WholePlan, ::testing::Values(1, 16, 50));

}  // namespace
}  // namespace pivra::test
