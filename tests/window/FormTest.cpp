// The form through a recording stand-in view: start-up, import, preview,
// scale changes and the faults it guards against.
#include <gtest/gtest.h>

#include <wand/MagickWand.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "builder/WorkingFolders.h"
#include "builder/WorkingTemplates.h"
#include "platform/FolderLock.h"
#include "support/DeepFolder.h"
#include "support/FileContents.h"
#include "support/AnimationReaders.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/RunProcess.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "surface/BitmapImage.h"
#include "surface/PaneCanvas.h"
#include "window/Form1.h"
#include "window/OpenFilter.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
const QColor kHead(220, 30, 30), kTail(30, 60, 220);

// Remembers what the form set, answers the open dialog from a queue (nullopt:
// cancelled) and lets a test act during the build's yields.
struct RecordingView : FormView {
    void setClientSize(int w, int h) override { client = {w, h}; }
    bool minimized() const override { return isMinimized; }
    void setFontSize(Control, int) override {}
    void setSize(Control, int, int) override {}
    void move(Control, int, int) override {}
    void setHintShown(int label, bool shown) override { hints[label - 1] = shown; }
    bool hintShown(int label) const override { return hints[label - 1]; }
    void setTimerEnabled(bool on) override { timerEnabledDuringBuild += on && form && form->building(), timer = on; }
    bool timerEnabled() const override { return timer; }
    void setTimerInterval(int ms) override { interval = ms; }
    void setViewerFile(const std::string& path) override { viewerFiles.push_back(path); }
    std::optional<std::string> chooseOpenFile(const std::string& filter, int index) override {
        dialogs.emplace_back(filter, index);
        std::optional<std::string> a;
        if (!answers.empty()) a = answers.front(), answers.pop_front();
        return a;
    }
    PaneCanvas& canvas(Pane p) override { return canvases[static_cast<size_t>(p)]; }
    void showScaleDialog() override {}
    void showManual() override {}
    void showAbout() override {}
    void showProgress() override {}
    std::string AskSaveFileName(SaveDialogRequest& r) override {
        if (saveEntry) r.filterIndex = saveEntry;
        return saveAnswer;
    }
    std::optional<std::string> choosePageColour(const std::string& current) override {
        colourDialogs.push_back(current);
        return colourAnswer;
    }
    void closeWindow() override { ++closes; }
    void setCreateCaption(const std::string& c) override { captions.push_back(c); }
    void setProgress(int v) override { progressValue = v; }
    int progress() const override { return progressValue; }
    void yield() override { ++yields; if (onYield) onYield(yields); }

    const Form1* form = nullptr;
    std::pair<int, int> client{};
    bool isMinimized = false, timer = false, hints[3] = {true, true, true};
    std::vector<std::string> viewerFiles, captions, colourDialogs;
    std::optional<std::string> colourAnswer;
    std::string saveAnswer;  // empty: cancelled
    int16_t saveEntry = 0;
    std::vector<std::pair<std::string, int>> dialogs;
    std::deque<std::optional<std::string>> answers;
    PaneCanvas canvases[3];
    int interval = 0, closes = 0, progressValue = 0, yields = 0, timerEnabledDuringBuild = 0;
    std::function<void(int)> onYield;
};

// A form with its own recording view.
struct Form1Fixture {
    explicit Form1Fixture(FormFolders folders) : form(std::make_unique<Form1>(view, std::move(folders))) {
        view.form = form.get();
    }
    // Asks for a build and ticks through it (at scale 1 it runs at the 13th).
    void build(int ticks = 13) {
        form->CreateBtn_Click();
        for (int k = 0; k < ticks; ++k) form->Timer1_Timer();
    }
    void loadAndBuild(const std::string& head, const std::string& tail) {
        form->Form_Load();
        form->ScalePivra(1);
        form->ChooseHead(head);
        form->ChooseTail(tail);
        build();
    }
    RecordingView view;
    std::unique_ptr<Form1> form;
};

// Every template's size as ImageMagick itself reads the file (it also reads .mif).
void ExpectTemplatesAt(const std::string& app, int side) {
    MagickWandGenesis();
    for (const TemplateFile& t : kTemplates) {
        const std::string path = app + "/" + t.working;
        MagickWand* wand = NewMagickWand();
        ASSERT_EQ(MagickPingImage(wand, path.c_str()), MagickTrue) << t.working;
        EXPECT_EQ(std::make_pair(MagickGetImageWidth(wand), MagickGetImageHeight(wand)),
                  std::make_pair(size_t(side), size_t(side))) << t.working;
        DestroyMagickWand(wand);
    }
}

// Non-black pixels on the middle row: the drawn width of a squeezed face.
int DrawnWidth(const QImage& frame) {
    int n = 0;
    for (int x = 0; x < frame.width(); ++x) n += (frame.pixel(x, frame.height() / 2) & 0xffffff) != 0;
    return n;
}

class Form : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, kTail));
    }
    // Loaded, optionally rescaled, both pictures chosen through the open dialog.
    void start(int scale = 16) {
        form->Form_Load();
        if (scale != 16) form->ScalePivra(scale);
        view.answers = {headPic, tailPic};
        form->Picture1_Click();
        form->Picture2_Click();
    }
    QImage paneImage(Pane p) { return ToQImage(view.canvas(p).picture()); }
    void tick(int n) { for (int k = 0; k < n; ++k) form->Timer1_Timer(); }
    std::string prompt(size_t k = 0) const { return k < notifier.shown.size() ? notifier.shown[k].prompt : ""; }

    TempFolder app{"form"};
    const std::string headPic = app / "head.png", tailPic = app / "tail.jpg", gif = app / "Work/pivra.gif";
    RecordingNotifier notifier;
    Form1Fixture main{FormFolders{app.str(), PIVRA_BIN_DIR}};
    RecordingView& view = main.view;
    std::unique_ptr<Form1>& form = main.form;
};

// A minimised window is not resized to the layout.
TEST_F(Form, AMinimisedWindowKeepsItsSize) {
    form->Form_Load();
    view.client = {0, 0};
    view.isMinimized = true;
    form->Form_Resize();
    EXPECT_EQ(view.client, std::make_pair(0, 0));
    view.isMinimized = false;
    form->Form_Resize();
    EXPECT_EQ(view.client, std::make_pair(400, 419));
}

TEST_F(Form, WorkingFolderThatCannotBeMadeIsReportedAndPicturesAreRefused) {
    std::ofstream(app / "Work") << "a file where the folder should be";
    form->Form_Load();
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(prompt().find(app.str() + "/Work"), std::string::npos) << prompt();
    EXPECT_EQ(FileContents(app / "Work"), "a file where the folder should be");
    view.answers = {headPic};
    form->Picture1_Click();
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_TRUE(view.hints[0]);
    EXPECT_EQ(notifier.shown.size(), 2u);
}

// A cancelled dialog takes no earlier name: not the head's for the tail.
TEST_F(Form, CancelledDialogsChangeNothing) {
    form->Form_Load();
    view.answers = {headPic, std::nullopt};
    form->Label1_Click();
    form->Picture2_Click();
    EXPECT_EQ(view.dialogs.back(), std::make_pair(std::string(kPictureFilter), 2)) << "opens on the picture entry";
    EXPECT_EQ(form->state().HeadFile, headPic);
    EXPECT_TRUE(form->state().TailFile.empty());
    EXPECT_FALSE(fs::exists(app / "Work/ImagB.jpg"));
    EXPECT_TRUE(view.hints[1]);
    EXPECT_FALSE(view.timer);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Form, AFailedPickChangesNothingAndSaysWhy) {
    start();
    tick(5);
    const std::string working = app / "Work/ImagA.jpg", copy = FileContents(working);
    const QImage pane = paneImage(Pane::Picture1);
    const std::string bad = app / "broken.jpg", gone = app / "gone.jpg";
    std::ofstream(bad) << "this is not a picture";
    struct Case { std::function<void()> pick; std::string file; };
    for (const Case& c : {Case{[&] { view.answers = {bad}; form->Picture1_Click(); }, bad},
                          Case{[&] { form->ChooseHead(gone); }, gone}}) {
        SCOPED_TRACE(c.file);
        notifier.shown.clear();
        c.pick();
        EXPECT_EQ(form->state().HeadFile, headPic);
        EXPECT_FALSE(view.hints[0] || view.hints[2]);
        EXPECT_TRUE(view.timer);
        EXPECT_EQ(FileContents(working), copy);
        EXPECT_EQ(paneImage(Pane::Picture1), pane);
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_NE(prompt().find("head"), std::string::npos) << prompt();
        EXPECT_GT(prompt().size(), prompt().find(c.file) + c.file.size() + 2) << "a reason follows the name: " << prompt();
    }
    EXPECT_EQ(FileContents(bad), "this is not a picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(app / "Work"), fs::directory_iterator()), 6) << "no spare copies";
    // The preview goes on turning the same head.
    tick(3);
    EXPECT_EQ(DrawnWidth(paneImage(Pane::Picture3)), 16 * 8);
    EXPECT_TRUE(CloseColour(paneImage(Pane::Picture3).pixel(96, 96), kHead, 12));
}

TEST_F(Form, RescaleRemakesBothPicturesAndAMissingHeadBringsItsHintBack) {
    start();
    form->ScalePivra(9);
    EXPECT_EQ(std::make_pair(form->HeadDib().dib_width(), form->TailDib().dib_height()), std::make_pair(108, 108));
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(form->state().SpinPos, 0);
    EXPECT_FALSE(view.hints[0] || view.hints[1] || view.hints[2]);
    EXPECT_TRUE(CloseColour(paneImage(Pane::Picture2).pixel(54, 54), kTail, 12));
    fs::remove(headPic);
    form->ScalePivra(10);
    EXPECT_TRUE(form->state().HeadFile.empty());
    EXPECT_TRUE(view.hints[0] && view.hints[2] && !view.hints[1]);
    EXPECT_EQ(form->TailDib().dib_width(), 120);
    EXPECT_FALSE(view.timer);
    form->ScalePivra(8);  // the hints no longer fit: all hidden, even the missing head's
    EXPECT_FALSE(view.hints[0] || view.hints[1] || view.hints[2]);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Form, FiftyTicksTurnTheCoinOnce) {
    start();
    for (int tick = 1; tick <= 51; ++tick) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        form->Timer1_Timer();
        const QImage frame = paneImage(Pane::Picture3);
        ASSERT_EQ(frame.size(), QSize(192, 192));
        // Planned width at scale 16: 16 per tick up to 192, then back down, 0 at the 25th.
        const int t = (tick - 1) % 25 + 1, want = t <= 12 ? 16 * t : t == 13 ? 192 : t <= 24 ? 192 - 16 * (t - 13) : 0;
        EXPECT_NEAR(DrawnWidth(frame), want, want ? 2 : 0);
        if (want == 0) continue;
        EXPECT_TRUE(CloseColour(frame.pixel(96, 96), (tick - 1) % 50 < 25 ? kHead : kTail, 12));
        EXPECT_EQ(frame.pixel(3, 3) & 0xffffff, 0u);
        EXPECT_EQ(frame.pixel(188, 188) & 0xffffff, 0u);
    }
    EXPECT_TRUE(view.captions.empty());  // no build without a request
}

// A click after tick N builds at the next tick showing the head at full width.
class FormTrigger : public Form, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(FormTrigger, BuildRunsAfterTheHeadsFullWidth) {
    start(1);
    int builtAt = 0;
    for (int tick = 1; tick <= 70 && builtAt == 0; ++tick) {
        if (tick == GetParam().first + 1) form->CreateBtn_Click();
        form->Timer1_Timer();
        if (!view.captions.empty()) builtAt = tick;
    }
    EXPECT_EQ(builtAt, GetParam().second);
    // The build's own captions, progress and files are tested with the builder.
    EXPECT_EQ(form->state().SpinPos, -12);
    EXPECT_TRUE(form->state().ShowHead);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(view.viewerFiles.back(), gif);
    EXPECT_EQ(DrawnWidth(paneImage(Pane::Picture3)), 12);
}

INSTANTIATE_TEST_SUITE_P(Clicks, FormTrigger,
                         ::testing::Values(std::pair(0, 13), std::pair(12, 13), std::pair(13, 63), std::pair(20, 63)));

TEST_F(Form, RepaintsDuringABuildKeepTheTimerOffAndAScaleWaitsForTheEnd) {
    start(1);
    view.onYield = [&](int n) {
        form->Picture1_Paint();
        form->Picture2_Paint();
        form->UpdatePreviewState();
        if (n == 2) form->ScalePivra(2);
        EXPECT_EQ(form->i_size(), 12) << "yield " << n;
        EXPECT_FALSE(view.timer) << "yield " << n;
    };
    main.build();
    ASSERT_EQ(view.yields, 62);  // 12 widths and 50 frames
    EXPECT_EQ(view.timerEnabledDuringBuild, 0);
    EXPECT_EQ(ReadGifStructure(gif).screenWidth, 12);  // built at the old size, then rescaled
    ExpectTemplatesAt(app.str(), 24);
    EXPECT_EQ(form->HeadDib().dib_width(), 24);
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(notifier.shown.empty());
}

// Page Colour… keeps its choice for the next build (white is none); saving as
// WebP renders the animation the viewer plays, from the pictures and at the
// scale it was built with, whatever has been chosen since.
TEST_F(Form, PageColourIsKeptAndWebpSavesTheLastBuildNotTheCurrentChoice) {
    start(2);
    EXPECT_EQ(form->pageColour(), "");
    for (const std::optional<std::string>& answer : {std::optional<std::string>("#203040"), std::optional<std::string>()}) {
        view.colourAnswer = answer;
        form->mnu_PageColour_Click();
    }
    EXPECT_EQ(view.colourDialogs, (std::vector<std::string>{"#ffffff", "#203040"}));
    EXPECT_EQ(form->state().PageColour, "#203040");
    form->setPageColour("not a colour");
    EXPECT_EQ(form->pageColour(), "#203040");
    main.build();
    ASSERT_FALSE(form->state().BuildRequested);

    ASSERT_TRUE(WriteSolidPicture(app / "green.png", 50, 50, QColor(0, 200, 0)));
    view.answers = {app / "green.png"};
    form->Picture1_Click();
    form->ScalePivra(3);
    view.saveAnswer = app / "spin.webp";
    view.saveEntry = kWebpFilterIndex;
    form->SaveBtn_Click();
    EXPECT_TRUE(notifier.shown.empty()) << prompt();
    const WebpAnimation anim = ReadWebpAnimation(app / "spin.webp");
    ASSERT_TRUE(anim.ok);
    EXPECT_EQ(anim.width, 24);
    // At 24 x 60 ms the head shows at full width: the head that was built.
    size_t shown = 0;
    while (anim.endsMs.at(shown) <= 24 * 60) ++shown;
    const std::uint8_t* centre = anim.frames[shown].at(12, 12);
    EXPECT_TRUE(CloseColour(qRgb(centre[0], centre[1], centre[2]), kHead, 12));

    view.colourAnswer = "#FFFFFF";
    form->mnu_PageColour_Click();
    EXPECT_EQ(std::make_pair(form->pageColour(), form->state().PageColour), std::make_pair(std::string("#ffffff"), std::string()));
}

TEST_F(Form, CreateWithAPictureMissingSaysWhichAndLeavesNoRequest) {
    form->Form_Load();
    struct Case { std::function<void()> choose; std::string says; };
    for (const Case& c : {Case{[] {}, "the head and tail pictures"}, Case{[&] { form->ChooseTail(tailPic); }, "the head picture"}}) {
        notifier.shown.clear();
        c.choose();
        form->CreateBtn_Click();
        EXPECT_FALSE(form->state().BuildRequested);
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_NE(prompt().find(c.says), std::string::npos) << prompt();
    }
    // The second picture does not start a build behind the user's back.
    form->ChooseHead(headPic);
    tick(60);
    EXPECT_TRUE(view.captions.empty());
    EXPECT_FALSE(fs::exists(gif));
}

// Each way a build can fail: one message naming what failed and why; the last
// animation stays byte for byte and the viewer is not pointed anew.
TEST_F(Form, AFailedBuildKeepsTheLastAnimationAndSaysWhatFailed) {
    TempFolder small{"form-full"};
    ScratchMount disk(small.str(), "size=8m");
    std::optional<Form1Fixture> full;
    if (disk.mounted()) full.emplace(FormFolders{small.str(), PIVRA_BIN_DIR});
    bool filled = false;
    const auto fill = [&](int) {
        if (std::exchange(filled, true)) return;
        std::ofstream filler(small / "filler", std::ios::binary);
        const std::string block(1 << 16, 'x');
        while (filler.write(block.data(), block.size())) {}
    };
    // Libraries that fail the commands named in PIVRA_TEST_FAILING_INPUTS.
    fs::create_directories(app / "lib");
    Form1Fixture failing{FormFolders{app / "lib", PIVRA_BIN_DIR, FAILING_LIB_DIR}};
    struct Case {
        const char* what;
        Form1Fixture* f;
        std::string app;
        std::function<void()> spoil, mend;
        std::vector<std::string> says;
    };
    std::vector<Case> cases{
        {"head vanished", &main, app.str(), [&] { fs::remove(headPic); },
         [&] { WriteSolidPicture(headPic, 300, 200, kHead); }, {"head picture", headPic, "No such file"}},
        {"tail overwritten", &main, app.str(), [&] { std::ofstream(tailPic) << "words"; },
         [&] { WriteSolidPicture(tailPic, 160, 240, kTail); }, {"tail picture", tailPic}},
        {"assembly refused", &failing, app.str() + "/lib",
         [&] { setenv("PIVRA_TEST_FAILING_INPUTS", "Images/*.gif", 1); },
         [&] { unsetenv("PIVRA_TEST_FAILING_INPUTS"); }, {"Work/pivra-"}},
    };
    if (full)
        cases.push_back({"disk full", &*full, small.str(), [&] { full->view.onYield = fill; },
                         [&] { full->view.onYield = nullptr; fs::remove(small / "filler"); },
                         {"No space left on device"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.f->loadAndBuild(headPic, tailPic);
        const Form1& f = *c.f->form;
        const RecordingView& v = c.f->view;
        const std::string animation = c.app + "/Work/pivra.gif", before = FileContents(animation);
        ASSERT_EQ(ReadGifStructure(animation).frames.size(), 50u);
        const size_t pointed = v.viewerFiles.size();
        notifier.shown.clear();

        c.spoil();
        c.f->build(50);
        c.mend();
        EXPECT_EQ(FileContents(animation), before);
        EXPECT_EQ(v.viewerFiles.size(), pointed);
        ASSERT_EQ(notifier.shown.size(), 1u);
        for (const std::string& s : c.says) EXPECT_NE(prompt().find(s), std::string::npos) << s << " in " << prompt();
        EXPECT_FALSE(f.state().BuildRequested);
        EXPECT_FALSE(fs::exists(c.app + "/Images") || fs::exists(c.app + "/Masks"));
        for (const auto& e : fs::directory_iterator(c.app + "/Work"))
            EXPECT_EQ(e.path().filename().string().find("pivra-"), std::string::npos) << e.path();
        EXPECT_TRUE(v.timer) << "the preview goes on";
    }
}

// A pane clicked or a file dropped while the build runs is taken once it has
// returned: the animation shows the faces it was built from.
TEST_F(Form, PicksDuringABuildWaitForItsEnd) {
    start(1);
    const std::string green = app / "green.png", white = app / "white.png";
    ASSERT_TRUE(WriteSolidPicture(green, 50, 50, QColor(30, 200, 30)));
    ASSERT_TRUE(WriteSolidPicture(white, 50, 50, QColor(240, 240, 240)));
    view.onYield = [&](int n) {
        if (n == 3) {
            view.answers = {green};
            form->Label1_Click();
            form->ChooseTail(white);
            EXPECT_TRUE(view.dialogs.size() == 2u) << "no dialog inside the build";
            EXPECT_EQ(form->state().HeadFile, headPic);
            EXPECT_EQ(form->state().TailFile, tailPic);
        }
    };
    main.build();
    EXPECT_EQ(view.yields, 62);
    EXPECT_EQ(view.dialogs.size(), 3u);
    EXPECT_EQ(form->state().HeadFile, green);
    EXPECT_EQ(form->state().TailFile, white);
    // Frames 0 (tail) and 24 (head) at full width show the old faces.
    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    EXPECT_TRUE(CloseColour(frames[0].pixel(6, 6), kTail, 16));
    EXPECT_TRUE(CloseColour(frames[24].pixel(6, 6), kHead, 16));
    EXPECT_TRUE(notifier.shown.empty());
}

// A red disc in the middle of a w x h picture, on white.
bool WriteDisc(const std::string& path, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0, r = std::min(w, h) * 0.4;
            image.setPixel(x, y, dx * dx + dy * dy <= r * r ? qRgb(230, 30, 30) : qRgb(255, 255, 255));
        }
    return image.save(QString::fromStdString(path), nullptr, 95);
}

// Red pixels across the middle row and down the middle column of a face.
std::pair<int, int> RedExtent(const QImage& face) {
    int across = 0, down = 0;
    for (int k = 0; k < face.width(); ++k) {
        across += CloseColour(face.pixel(k, face.height() / 2), QColor(230, 30, 30), 60);
        down += CloseColour(face.pixel(face.width() / 2, k), QColor(230, 30, 30), 60);
    }
    return {across, down};
}

// "Crop Pictures to a Square" imports both pictures again from their centre squares, as pivra-make --crop
// makes its faces; off again, the squeezed faces come back.
TEST_F(Form, CropReimportsBothFacesAsPivraMakeCropsThem) {
    ASSERT_TRUE(WriteDisc(headPic, 300, 100));
    ASSERT_TRUE(WriteDisc(tailPic, 100, 300));
    start();
    EXPECT_NEAR(RedExtent(paneImage(Pane::Picture1)).first, 51, 3);  // squeezed: 80 of 300 across
    form->mnu_Crop_Click();
    EXPECT_TRUE(form->cropToSquare());
    for (Pane side : {Pane::Picture1, Pane::Picture2}) {
        const auto [across, down] = RedExtent(paneImage(side));
        EXPECT_NEAR(across, 154, 3);  // 0.8 of the face each way
        EXPECT_NEAR(down, 154, 3);
    }
    const std::string made = app / "made.gif";
    ASSERT_EQ(RunProcess({std::string(PIVRA_BIN_DIR) + "/pivra-make", headPic, tailPic, made, "--crop"}).exitCode, 0);
    EXPECT_EQ(RedExtent(ReadGifFrames(made).at(24)), RedExtent(paneImage(Pane::Picture1)));
    form->mnu_Crop_Click();
    EXPECT_NEAR(RedExtent(paneImage(Pane::Picture2)).second, 51, 3);
    EXPECT_TRUE(notifier.shown.empty());
}

// Each window holds its working folder for its whole life; a second one works
// in a folder of its own, so neither shows nor saves the other's animation.
TEST_F(Form, TwoWindowsNeverShareAWorkingFolder) {
    Form1Fixture second{FormFolders{app.str(), PIVRA_BIN_DIR}}, third{FormFolders{app.str(), PIVRA_BIN_DIR}};
    EXPECT_EQ(form->AppStr(), app.str() + "/");
    EXPECT_EQ(second.form->AppStr(), app.str() + "/Window2/");
    EXPECT_EQ(third.form->AppStr(), app.str() + "/Window3/");
    FolderLock other;  // as a pivra-make --workdir run on the first window's folder would try
    std::string why;
    EXPECT_FALSE(other.tryLock(app.str(), kWorkingFolderLock, why));
    EXPECT_EQ(why, "in use");
    start(1);
    std::ofstream(gif, std::ios::binary) << "the first window's animation";
    second.loadAndBuild(headPic, tailPic);
    EXPECT_EQ(ReadGifStructure(app / "Window2/Work/pivra.gif").frames.size(), 50u);
    EXPECT_EQ(FileContents(gif), "the first window's animation");
    EXPECT_EQ(second.view.viewerFiles.back(), app / "Window2/Work/pivra.gif");
    // Once the first window is gone, its folder is free again.
    form.reset();
    Form1Fixture next{FormFolders{app.str(), PIVRA_BIN_DIR}};
    EXPECT_EQ(next.form->AppStr(), app.str() + "/");
    EXPECT_TRUE(notifier.shown.empty());
}

// Folders of any length: a picture 1000 bytes deep; a working folder and
// installation files 200 bytes deep. Start, import and build go as usual,
// without a message, and the picture stays as it was.
TEST_F(Form, LongFoldersStartImportAndBuildWithoutAMessage) {
    const std::string deepHead = DeepFolder(app / "deep", 1000 - std::string("/head.png").size()) + "/head.png";
    fs::copy_file(headPic, deepHead);
    const auto yesterday = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(deepHead, yesterday);
    const std::string root = DeepFolder(app / "root", 200), install = DeepFolder(app / "install", 200);
    for (const TemplateFile& t : kTemplates)
        fs::copy_file(std::string(PIVRA_BIN_DIR) + "/" + t.source, install + "/" + t.source);
    Form1Fixture deep{FormFolders{root, install, PIVRA_BIN_DIR}};
    for (auto [f, where] : {std::pair{&main, app.str()}, std::pair{&deep, root}}) {
        SCOPED_TRACE(where);
        f->loadAndBuild(deepHead, tailPic);
        ExpectTemplatesAt(where, 12);
        EXPECT_EQ(f->form->state().HeadFile, deepHead);
        EXPECT_FALSE(f->view.hints[0]);
        EXPECT_TRUE(CloseColour(ToQImage(f->view.canvas(Pane::Picture1).picture()).pixel(6, 6), kHead, 12));
        const GifInfo info = ReadGifStructure(where + "/Work/pivra.gif");
        EXPECT_EQ(std::make_pair(info.frames.size(), info.screenWidth), std::make_pair(size_t{50}, 12));
    }
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(root)) names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{".pivra-lock", "Work"}));
    EXPECT_TRUE(notifier.shown.empty()) << prompt();
    EXPECT_EQ(FileContents(deepHead), FileContents(headPic));
    EXPECT_EQ(fs::last_write_time(deepHead), yesterday);
}

}  // namespace
}  // namespace pivra::test
