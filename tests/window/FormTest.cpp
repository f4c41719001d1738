// The form through a recording stand-in view: start-up, import, preview,
// scale changes and the faults it guards against.
#include <gtest/gtest.h>

#include <wand/MagickWand.h>

#include <QImageReader>

#include <filesystem>
#include <fstream>

#include "FormFixture.h"
#include "builder/WorkingTemplates.h"
#include "support/GifInspect.h"
#include "builder/WorkingFolders.h"
#include "platform/FolderLock.h"
#include "window/OpenFilter.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

// Picture size as ImageMagick itself reads the file (it also reads .mif).
QSize MagickSize(const std::string& path) {
    MagickWandGenesis();
    MagickWand* wand = NewMagickWand();
    QSize size;
    if (MagickPingImage(wand, path.c_str()) == MagickTrue)
        size = QSize(static_cast<int>(MagickGetImageWidth(wand)), static_cast<int>(MagickGetImageHeight(wand)));
    DestroyMagickWand(wand);
    return size;
}

void ExpectTemplatesAt(const std::string& app, int side) {
    for (const TemplateFile& t : kTemplates) {
        const std::string path = app + "/" + t.working;
        EXPECT_EQ(MagickSize(path), QSize(side, side)) << t.working;
        if (path.size() > 4 && path.substr(path.size() - 4) == ".bmp") {
            EXPECT_EQ(QImageReader(QString::fromStdString(path)).size(), QSize(side, side)) << t.working;
        }
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using FormStart = FormFixture;

TEST_F(FormStart, FirstStartMakesWorkAndTemplatesAt192WithHintsAndNoPreview) {
    ASSERT_FALSE(fs::exists(app / "Work"));
    form->Form_Load();
    EXPECT_TRUE(fs::is_directory(app / "Work"));
    ExpectTemplatesAt(app.str(), 192);
    EXPECT_EQ(form->i_size(), 192);
    EXPECT_EQ(form->AppStr(), app.str() + "/");
    EXPECT_TRUE(view.hints[0] && view.hints[1] && view.hints[2]);
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.interval, 60);
    EXPECT_FALSE(form->state().BuildRequested);
    EXPECT_EQ(view.viewerFiles, std::vector<std::string>{app.str() + "/Work/pivra.gif"});
    EXPECT_EQ(view.client, std::make_pair(400, 419));
    // A few of the worked example's numbers, as the view received them.
    EXPECT_EQ(view.geometry[Control::Picture2].left, 201);
    EXPECT_EQ(view.geometry[Control::Label3].top, 48);
    EXPECT_EQ(view.geometry[Control::Label3].left, 33);
    EXPECT_EQ(view.geometry[Control::SaveBtn].left, 101);
    EXPECT_EQ(view.fonts[Control::CreateBtn], 10);
    EXPECT_EQ(view.fonts[Control::Label1], 14);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(FormStart, MinimisedWindowKeepsItsSize) {
    form->Form_Load();
    view.client = {0, 0};
    view.isMinimized = true;
    form->Form_Resize();
    EXPECT_EQ(view.client, std::make_pair(0, 0));
    view.isMinimized = false;
    form->Form_Resize();
    EXPECT_EQ(view.client, std::make_pair(400, 419));
}

TEST_F(FormStart, WorkingFolderThatCannotBeMadeIsReportedAndTheFormStillStarts) {
    std::ofstream(app / "Work") << "a file where the folder should be";
    form->Form_Load();
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find(app.str() + "/Work"), std::string::npos) << notifier.shown[0].prompt;
    EXPECT_EQ(notifier.shown[0].title, "PIVRA");
    EXPECT_EQ(ReadAll(app / "Work"), "a file where the folder should be");
    EXPECT_TRUE(view.hints[0] && view.hints[1] && view.hints[2]);
    // A picture chosen now is refused with a word, and nothing starts.
    view.answers = {headPic};
    form->Picture1_Click();
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_TRUE(view.hints[0]);
    EXPECT_EQ(notifier.shown.size(), 2u);
}

using FormImport = FormFixture;

TEST_F(FormImport, ChooseCancelAndDrop) {
    form->Form_Load();
    // The very first dialog cancelled: nothing changes.
    view.answers = {std::nullopt};
    form->Picture1_Click();
    ASSERT_EQ(view.dialogs.size(), 1u);
    EXPECT_EQ(view.dialogs[0], std::make_pair(std::string(kPictureFilter), 2));
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_TRUE(view.hints[0]);

    // The head through its label: the face is the picture cut to the disc.
    view.answers = {headPic};
    form->Label1_Click();
    EXPECT_EQ(form->state().HeadFile, headPic);
    EXPECT_FALSE(view.hints[0]);
    EXPECT_TRUE(view.hints[2]);
    EXPECT_FALSE(view.timer);
    const QImage head = paneImage(Pane::Picture1);
    ASSERT_EQ(head.size(), QSize(192, 192));
    EXPECT_TRUE(CloseColour(head.pixel(96, 96), kHead, 12));
    for (QPoint corner : {QPoint(0, 0), QPoint(191, 0), QPoint(0, 191), QPoint(191, 191), QPoint(8, 8)})
        EXPECT_EQ(head.pixel(corner) & 0xffffff, 0u) << corner.x() << "," << corner.y();

    // A later dialog cancelled on the tail side takes no earlier name.
    view.answers = {std::nullopt};
    form->Picture2_Click();
    EXPECT_TRUE(form->state().TailFile.empty());
    EXPECT_EQ(form->state().HeadFile, headPic);
    EXPECT_FALSE(fs::exists(app / "Work/ImagB.jpg"));
    EXPECT_TRUE(view.hints[1]);

    // The tail dropped on its pane: both chosen, the preview runs.
    form->ChooseTail(tailPic);
    EXPECT_EQ(form->state().TailFile, tailPic);
    EXPECT_FALSE(view.hints[1]);
    EXPECT_FALSE(view.hints[2]);
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(CloseColour(paneImage(Pane::Picture2).pixel(96, 96), kTail, 12));

    // A repaint of a pane paints the face again.
    view.canvas(Pane::Picture1).resize(192, 192);
    form->Picture1_Paint();
    EXPECT_TRUE(CloseColour(paneImage(Pane::Picture1).pixel(96, 96), kHead, 12));
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(FormImport, FailedImportClearsTheChoiceKeepsTheHintAndTellsOnce) {
    form->Form_Load();
    chooseBoth();
    ASSERT_TRUE(view.timer);
    const std::string bad = app / "broken.jpg";
    std::ofstream(bad) << "this is not a picture";

    view.answers = {bad};
    form->Picture1_Click();
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_TRUE(view.hints[0]);
    EXPECT_TRUE(view.hints[2]);
    EXPECT_FALSE(view.timer);
    ASSERT_EQ(notifier.shown.size(), 1u);
    const std::string& prompt = notifier.shown[0].prompt;
    EXPECT_NE(prompt.find("head"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find(bad), std::string::npos) << prompt;
    // A reason follows the name.
    EXPECT_GT(prompt.size(), prompt.find(bad) + bad.size() + 2) << prompt;

    // The user's file is untouched; picking a good one again works.
    EXPECT_EQ(ReadAll(bad), "this is not a picture");
    form->ChooseHead(headPic);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(notifier.shown.size(), 1u);
}

TEST_F(FormImport, MissingFileReturnsTheSideToNoPicture) {
    form->Form_Load();
    chooseBoth();
    view.answers = {app / "gone.jpg"};
    form->Picture2_Click();
    EXPECT_TRUE(form->state().TailFile.empty());
    EXPECT_TRUE(view.hints[1]);
    EXPECT_FALSE(view.timer);
    EXPECT_TRUE(notifier.shown.empty());
}

using FormScale = FormFixture;

TEST_F(FormScale, BothPicturesAreMadeAgainAtTheNewSize) {
    form->Form_Load();
    chooseBoth();
    form->ScalePivra(9);
    EXPECT_EQ(form->i_size(), 108);
    ExpectTemplatesAt(app.str(), 108);
    EXPECT_EQ(form->HeadDib().dib_width(), 108);
    EXPECT_EQ(form->TailDib().dib_height(), 108);
    EXPECT_EQ(QImageReader(QString::fromStdString(app / "Work/ImagA.jpg")).size(), QSize(108, 108));
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(form->state().SpinPos, 0);
    EXPECT_EQ(form->state().SpinStep, 9);
    EXPECT_TRUE(form->state().ShowHead);
    EXPECT_EQ(view.client, std::make_pair(232, 251));
    EXPECT_FALSE(view.hints[0] || view.hints[1] || view.hints[2]);
    EXPECT_EQ(view.geometry[Control::Label2].top, 6);
    EXPECT_TRUE(CloseColour(paneImage(Pane::Picture2).pixel(54, 54), kTail, 12));

    // At scale 8 the hints no longer fit: all hidden, even the head's after its file is gone.
    fs::remove(headPic);
    form->ScalePivra(8);
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_EQ(form->state().TailFile, tailPic);
    EXPECT_EQ(form->TailDib().dib_width(), 96);
    EXPECT_FALSE(view.timer);
    EXPECT_FALSE(view.hints[0] || view.hints[1] || view.hints[2]);
}

TEST_F(FormScale, HeadFileDeletedBringsItsHintBackAndKeepsThePreviewOff) {
    form->Form_Load();
    chooseBoth();
    fs::remove(headPic);
    form->ScalePivra(10);
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_TRUE(view.hints[0]);
    EXPECT_FALSE(view.hints[1]);
    EXPECT_TRUE(view.hints[2]);
    EXPECT_EQ(form->TailDib().dib_width(), 120);
    EXPECT_FALSE(view.timer);
    EXPECT_TRUE(notifier.shown.empty());
}

using FormPreview = FormFixture;

// Ticks counted from 1 after the scale's reset, at scale 16.
int PlannedPreviewWidth(int tick) {
    const int t = (tick - 1) % 25 + 1;
    if (t <= 12) return 16 * t;
    if (t == 13) return 192;
    if (t <= 24) return 192 - 16 * (t - 13);
    return 0;
}

TEST_F(FormPreview, FiftyTicksTurnTheCoinOnce) {
    form->Form_Load();
    chooseBoth();
    for (int tick = 1; tick <= 51; ++tick) {
        form->Timer1_Timer();
        const QImage frame = paneImage(Pane::Picture3);
        ASSERT_EQ(frame.size(), QSize(192, 192));
        const int want = PlannedPreviewWidth(tick);
        const int got = DrawnWidth(frame);
        if (want == 0) {
            EXPECT_EQ(got, 0) << "tick " << tick;
            continue;
        }
        EXPECT_NEAR(got, want, 2) << "tick " << tick;
        const bool head = ((tick - 1) % 50) < 25;
        EXPECT_TRUE(CloseColour(frame.pixel(96, 96), head ? kHead : kTail, 12)) << "tick " << tick;
        // Outside the disc: black.
        EXPECT_EQ(frame.pixel(3, 3) & 0xffffff, 0u) << "tick " << tick;
        EXPECT_EQ(frame.pixel(188, 188) & 0xffffff, 0u) << "tick " << tick;
    }
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(view.captions.empty());  // no build without a request
}

struct TriggerCase {
    int clickAfterTick;  // 0: before the first tick
    int buildTick;
};

class FormTrigger : public FormFixture, public ::testing::WithParamInterface<TriggerCase> {};

TEST_P(FormTrigger, BuildRunsAfterTheHeadsFullWidth) {
    form->Form_Load();
    form->ScalePivra(1);
    chooseBoth();
    int builtAt = 0;
    for (int tick = 1; tick <= 70 && builtAt == 0; ++tick) {
        if (tick == GetParam().clickAfterTick + 1) form->CreateBtn_Click();
        form->Timer1_Timer();
        if (!view.captions.empty()) builtAt = tick;
    }
    EXPECT_EQ(builtAt, GetParam().buildTick);
    EXPECT_EQ(view.captions, (std::vector<std::string>{"WORKING", "CREATE PIVRA"}));
    // The preview goes on with the head at full width, shrinking side.
    EXPECT_EQ(form->state().SpinPos, -12);
    EXPECT_TRUE(form->state().ShowHead);
    EXPECT_FALSE(form->state().BuildRequested);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(view.timerEnabledDuringBuild, 0);
    EXPECT_EQ(view.viewerFiles.back(), app.str() + "/Work/pivra.gif");
    const GifInfo gif = ReadGifStructure(app / "Work/pivra.gif");
    EXPECT_TRUE(gif.ok);
    EXPECT_EQ(gif.frames.size(), 50u);
    EXPECT_EQ(gif.screenWidth, 12);
    EXPECT_EQ(DrawnWidth(paneImage(Pane::Picture3)), 12);
    EXPECT_TRUE(notifier.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Clicks, FormTrigger,
                         ::testing::Values(TriggerCase{0, 13}, TriggerCase{12, 13}, TriggerCase{20, 63},
                                           TriggerCase{13, 63}));

using FormDuringBuild = FormFixture;

TEST_F(FormDuringBuild, RepaintsKeepTheTimerOffAndAScaleWaitsForTheEnd) {
    form->Form_Load();
    form->ScalePivra(1);
    chooseBoth();
    form->CreateBtn_Click();
    std::vector<int> sizesSeen;
    view.onYield = [&](int n) {
        form->Picture1_Paint();
        form->Picture2_Paint();
        form->UpdatePreviewState();
        if (n == 2) form->ScalePivra(2);
        sizesSeen.push_back(form->i_size());
        EXPECT_FALSE(view.timer) << "yield " << n;
    };
    for (int tick = 1; tick <= 13; ++tick) form->Timer1_Timer();
    ASSERT_EQ(view.yields, 62);  // 12 widths and 50 frames
    EXPECT_EQ(view.timerEnabledDuringBuild, 0);
    for (int s : sizesSeen) EXPECT_EQ(s, 12);
    // Built at the old size, then rescaled.
    EXPECT_EQ(ReadGifStructure(app / "Work/pivra.gif").screenWidth, 12);
    EXPECT_EQ(form->i_size(), 24);
    ExpectTemplatesAt(app.str(), 24);
    EXPECT_EQ(form->HeadDib().dib_width(), 24);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(form->state().SpinPos, 0);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(FormDuringBuild, ClosingStopsTheBuildAndKeepsThePreviousAnimation) {
    form->Form_Load();
    form->ScalePivra(1);
    chooseBoth();
    const std::string gif = app / "Work/pivra.gif";
    std::ofstream(gif, std::ios::binary) << "the previous animation";
    form->CreateBtn_Click();
    bool refused = false;
    view.onYield = [&](int n) {
        if (n == 5) refused = !form->QueryUnload();
    };
    for (int tick = 1; tick <= 13; ++tick) form->Timer1_Timer();
    EXPECT_TRUE(refused);
    EXPECT_EQ(view.closes, 1);
    EXPECT_LT(view.yields, 62);
    EXPECT_TRUE(ReadAll(gif) == "the previous animation");
    EXPECT_FALSE(fs::exists(app / "Images"));
    EXPECT_FALSE(fs::exists(app / "Masks"));
    EXPECT_FALSE(view.timer);
    EXPECT_TRUE(form->QueryUnload());
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(FormDuringBuild, AnotherBuildInTheFolderIsToldAndNothingIsTouched) {
    form->Form_Load();
    form->ScalePivra(1);
    chooseBoth();
    const std::string gif = app / "Work/pivra.gif";
    std::ofstream(gif, std::ios::binary) << "the previous animation";
    FolderLock other;  // as a pivra-make --workdir run on this folder holds it
    std::string why;
    ASSERT_TRUE(other.tryLock(app.str(), kWorkingFolderLock, why)) << why;
    form->CreateBtn_Click();
    for (int tick = 1; tick <= 13; ++tick) form->Timer1_Timer();
    EXPECT_EQ(view.yields, 0);
    EXPECT_TRUE(ReadAll(gif) == "the previous animation");
    EXPECT_FALSE(fs::exists(app / "Images"));
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("in use by another build"), std::string::npos) << notifier.shown[0].prompt;
    EXPECT_FALSE(form->state().BuildRequested);
    EXPECT_TRUE(view.timer) << "the preview goes on";

    // Once the other build is done, a new request builds.
    other.release();
    notifier.shown.clear();
    form->CreateBtn_Click();
    for (int tick = 1; tick <= 50; ++tick) form->Timer1_Timer();
    EXPECT_EQ(view.yields, 62);
    EXPECT_EQ(ReadGifStructure(gif).frames.size(), 50u);
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
