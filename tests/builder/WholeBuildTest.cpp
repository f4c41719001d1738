// Whole builds through the real image libraries, read back with giflib and
// Qt and checked frame by frame against the frame plan.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "RecordingControls.h"
#include "builder/SpinBuilder.h"
#include "builder/WorkingTemplates.h"
#include "imagecmd/ImageCommands.h"
#include "platform/FileSystem.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {
namespace {

const QColor kHead(220, 30, 30), kTail(30, 60, 220);

class WholeBuild : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        for (const TemplateFile& t : kTemplates)
            std::filesystem::copy_file(std::string(PIVRA_BIN_DIR) + "/" + t.source, app / t.source);
        std::filesystem::create_directories(app / "Work");
        ASSERT_TRUE(WriteSolidPicture(app / "head.png", 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(app / "tail.jpg", 160, 240, kTail));
    }

    TempFolder app{"wholebuild"};
    RecordingNotifier notifier;
};

TEST_P(WholeBuild, FramesFollowThePlan) {
    const int scale = GetParam();
    PivraState state{app.str() + "/", static_cast<int16_t>(12 * scale), static_cast<int16_t>(scale),
                     static_cast<int16_t>(13 * scale), true, true, app / "head.png", app / "tail.jpg", ""};
    FileSystem fso;
    ImageCommands commands(state.i_size, fso, ImageLibraryFiles{PIVRA_BIN_DIR});
    RecordingControls controls;
    SpinBuilder builder(state, fso, commands, controls);

    MakeWorkingTemplates(commands, state, state.AppStr);
    ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
    ASSERT_EQ(commands.missingOutputs(), 0) << commands.firstMissingOutput().dst << ": "
                                            << commands.firstMissingOutput().reason;
    EXPECT_TRUE(notifier.shown.empty());

    const std::string gif = app / "Work/pivra.gif";
    const GifInfo info = ReadGifStructure(gif);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(std::make_tuple(info.screenWidth, info.screenHeight, info.loopCount), std::make_tuple(12 * scale, 12 * scale, 0));
    ASSERT_EQ(info.frames.size(), 50u);
    for (const GifFrameInfo& f : info.frames) EXPECT_EQ(std::make_pair(f.delayCs, f.disposal), std::make_pair(6, 2));

    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    const int side = state.i_size, mid = side / 2;
    // From the frame table: frames 12 and 37 are blank, 13-36 show the head, the rest the tail;
    // frame f's strip is |f % 25 - 12| steps wide.
    for (int f = 0; f < 50; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const QImage& img = frames[static_cast<size_t>(f)];
        ASSERT_EQ(img.size(), QSize(side, side));
        for (QPoint corner : {QPoint(0, 0), QPoint(side - 1, 0), QPoint(0, side - 1), QPoint(side - 1, side - 1)})
            EXPECT_EQ(qAlpha(img.pixel(corner)), 0);
        if (f == 12 || f == 37) {
            int visible = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) visible += qAlpha(img.pixel(x, y)) != 0;
            EXPECT_EQ(visible, 0);
            continue;
        }
        const int w = std::abs(f % 25 - 12) * scale;
        const int x0 = (side - w) / 2;
        // Outside the strip, on the middle row: nothing.
        if (x0 > 0) { EXPECT_EQ(qAlpha(img.pixel(x0 - 1, mid)), 0); }
        if (x0 + w < side) { EXPECT_EQ(qAlpha(img.pixel(x0 + w, mid)), 0); }
        // The middle of the strip shows the planned face, clearly not the other one.
        const QRgb centre = img.pixel(x0 + w / 2, mid);
        EXPECT_EQ(qAlpha(centre), 255);
        const bool head = f >= 13 && f <= 36;
        // The narrowest strips blend with the coin's edge.
        EXPECT_TRUE(CloseColour(centre, head ? kHead : kTail, w >= 4 ? 40 : 110)) << std::hex << centre << " width " << w;
        EXPECT_FALSE(CloseColour(centre, head ? kTail : kHead, 60));
    }
    // The working folders are gone, the templates stay.
    EXPECT_FALSE(std::filesystem::exists(app / "Images") || std::filesystem::exists(app / "Masks"));
    EXPECT_TRUE(std::filesystem::exists(app / "Work/mask.bmp"));
}

INSTANTIATE_TEST_SUITE_P(Scales, WholeBuild, ::testing::Values(1, 16, 50));

// With a page colour the coin's edge blends into it instead of into white:
// a head of that very colour comes out as one opaque coin of it, outside
// stays clear; without one, the tail's edge shows the white it blended into.
TEST(WholeBuildOnAPage, EdgesBlendIntoThePageAndAFaceOfItsColourStaysOpaque) {
    TempFolder app{"matte"};
    for (const TemplateFile& t : kTemplates)
        std::filesystem::copy_file(std::string(PIVRA_BIN_DIR) + "/" + t.source, app / t.source);
    std::filesystem::create_directories(app / "Work");
    const QColor page(16, 32, 48), tail(30, 60, 220);
    ASSERT_TRUE(WriteSolidPicture(app / "head.png", 120, 90, page));
    ASSERT_TRUE(WriteSolidPicture(app / "tail.png", 90, 120, tail));
    for (const std::string& colour : {std::string("#102030"), std::string()}) {
        SCOPED_TRACE("page colour '" + colour + "'");
        PivraState state{app.str() + "/", 96, 8, 104, true, true, app / "head.png", app / "tail.png", false, colour};
        FileSystem fso;
        ImageCommands commands(state.i_size, fso, ImageLibraryFiles{PIVRA_BIN_DIR});
        RecordingControls controls;
        SpinBuilder builder(state, fso, commands, controls);
        MakeWorkingTemplates(commands, state, state.AppStr);
        ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
        const std::vector<QImage> frames = ReadGifFrames(app / "Work/pivra.gif");
        ASSERT_EQ(frames.size(), 50u);
        int light = 0;
        for (int f = 0; f < 50; ++f) {
            const QImage& img = frames[static_cast<size_t>(f)];
            const bool head = f >= 13 && f <= 36;
            const int w = std::abs(f % 25 - 12) * 8, x0 = (96 - w) / 2;
            for (int y = 0; y < 96; ++y)
                for (int x = 0; x < 96; ++x) {
                    const QRgb p = img.pixel(x, y);
                    // The coin's inside, by its own equation, with a pixel to spare at the edge.
                    const double u = (x + 0.5 - 48) / (w / 2.0 - 1), v = (y + 0.5 - 48) / 47.0;
                    if (w > 2 && u * u + v * v < 1) { ASSERT_EQ(qAlpha(p), 255) << f << " at " << x << "," << y; }
                    if (x < x0 || x >= x0 + w) { ASSERT_EQ(qAlpha(p), 0) << f << " at " << x << "," << y; }
                    if (qAlpha(p) == 0) continue;
                    if (head && !colour.empty()) { ASSERT_TRUE(CloseColour(p, page, 3)) << f << " at " << x << "," << y; }
                    light += !head && qGray(p) > qGray(tail.rgb()) + 40;
                }
        }
        if (colour.empty()) { EXPECT_GT(light, 500) << "the white fringe without a page colour"; }
        else { EXPECT_EQ(light, 0) << "nothing lighter than the face when the page is dark"; }
    }
}

}  // namespace
}  // namespace pivra::test
