// Whole builds through the real image libraries, read back with giflib and
// Qt and checked pixel by pixel against the frame table and the coin's equation.
#include <gtest/gtest.h>

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

// With a page colour the coin's edge blends into it instead of into white:
// a head of that very colour comes out as one opaque coin of it, outside
// stays clear; without one, the tail's edge shows the white it blended into.
// Either way the frames follow the frame table: frames 12 and 37 are blank,
// 13-36 show the head, the rest the tail; frame f is |f % 25 - 12| steps wide.
TEST(WholeBuildOnAPage, EdgesBlendIntoThePageAndAFaceOfItsColourStaysOpaque) {
    TempFolder app{"matte"};
    RecordingNotifier notifier;
    for (const TemplateFile& t : kTemplates)
        std::filesystem::copy_file(std::string(PIVRA_BIN_DIR) + "/" + t.source, app / t.source);
    std::filesystem::create_directories(app / "Work");
    const QColor page(16, 32, 48), tail(30, 60, 220);
    ASSERT_TRUE(WriteSolidPicture(app / "head.png", 120, 90, page));
    ASSERT_TRUE(WriteSolidPicture(app / "tail.png", 90, 120, tail));
    for (const std::string colour : {"#102030", ""}) {
        SCOPED_TRACE("page colour '" + colour + "'");
        PivraState state{app.str() + "/", 96, 8, 104, true, true, app / "head.png", app / "tail.png", false, colour};
        FileSystem fso;
        ImageCommands commands(state.i_size, fso, ImageLibraryFiles{PIVRA_BIN_DIR});
        RecordingControls controls;
        SpinBuilder builder(state, fso, commands, controls);
        MakeWorkingTemplates(commands, state, state.AppStr);
        ASSERT_EQ(builder.BuildSpin().result, BuildResult::Finished);
        EXPECT_TRUE(notifier.shown.empty());
        const GifInfo info = ReadGifStructure(app / "Work/pivra.gif");
        EXPECT_EQ(std::make_tuple(info.screenWidth, info.screenHeight, info.loopCount), std::make_tuple(96, 96, 0));
        for (const GifFrameInfo& f : info.frames) EXPECT_EQ(std::make_pair(f.delayCs, f.disposal), std::make_pair(6, 2));
        const std::vector<QImage> frames = ReadGifFrames(app / "Work/pivra.gif");
        ASSERT_EQ(std::make_pair(info.frames.size(), frames.size()), std::make_pair(size_t{50}, size_t{50}));
        int light = 0;
        for (int f = 0; f < 50; ++f) {
            const bool head = f >= 13 && f <= 36;
            const int w = std::abs(f % 25 - 12) * 8, x0 = (96 - w) / 2;
            for (int y = 0; y < 96; ++y)
                for (int x = 0; x < 96; ++x) {
                    const QRgb p = frames[static_cast<size_t>(f)].pixel(x, y);
                    // The coin's inside, by its own equation, with a pixel to spare at the edge.
                    const double u = (x + 0.5 - 48) / (w / 2.0 - 1), v = (y + 0.5 - 48) / 47.0;
                    const bool corner = (x == 0 || x == 95) && (y == 0 || y == 95);
                    if (w > 2 && u * u + v * v < 1) { ASSERT_EQ(qAlpha(p), 255) << f << " at " << x << "," << y; }
                    if (x < x0 || x >= x0 + w || corner) { ASSERT_EQ(qAlpha(p), 0) << f << " at " << x << "," << y; }
                    if (x == 48 && y == 48 && w > 0) { EXPECT_TRUE(CloseColour(p, head ? page : tail, 40)) << f; }
                    if (qAlpha(p) == 0) continue;
                    if (head && !colour.empty()) { ASSERT_TRUE(CloseColour(p, page, 3)) << f << " at " << x << "," << y; }
                    light += !head && qGray(p) > qGray(tail.rgb()) + 40;
                }
        }
        EXPECT_TRUE(colour.empty() ? light > 500 : light == 0) << light << " pixels lighter than the tail's face";
    }
}

}  // namespace
}  // namespace pivra::test
