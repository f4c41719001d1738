// The form through a recording stand-in view: failed picks and builds, a
// picture changed or missing, a working folder that takes nothing, the
// pictures of a launch, saving as WebP, "link/.." in a picture's name and one
// locked working folder per window.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "builder/WorkingFolders.h"
#include "platform/FolderLock.h"
#include "support/AnimationReaders.h"
#include "support/FileContents.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "surface/BitmapImage.h"
#include "surface/PaneCanvas.h"
#include "window/Form1.h"
#include "window/LaunchCheck.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
const QColor kHead(220, 30, 30), kTail(30, 60, 220);

// Remembers what the form set, answers the open dialog from a queue (nullopt:
// cancelled) and lets a test act during the build's yields.
struct RecordingView : FormView {
    void setClientSize(int, int) override {}
    bool minimized() const override { return false; }
    void setFontSize(Control, int) override {}
    void setSize(Control, int, int) override {}
    void move(Control, int, int) override {}
    void setHintShown(int label, bool shown) override { hints[label - 1] = shown; }
    bool hintShown(int label) const override { return hints[label - 1]; }
    void setTimerEnabled(bool on) override { timer = on; }
    bool timerEnabled() const override { return timer; }
    void setTimerInterval(int) override {}
    void setViewerFile(const std::string& path) override { viewerFiles.push_back(path); }
    std::optional<std::string> chooseOpenFile(const std::string&, int) override {
        std::optional<std::string> a;
        if (!answers.empty()) a = answers.front(), answers.pop_front();
        return a;
    }
    PaneCanvas& canvas(Pane p) override { return canvases[static_cast<size_t>(p)]; }
    void showScaleDialog() override {}
    void showManual() override {}
    void showAbout() override {}
    void showWhatElse() override {}
    void showPageColour(const std::string&) override {}
    void showProgress() override {}
    std::string AskSaveFileName(SaveDialogRequest& r) override {
        if (saveEntry) r.filterIndex = saveEntry;
        return saveAnswer;
    }
    std::optional<std::string> choosePageColour(const std::string&) override { return std::nullopt; }
    bool chooseExport(ExportChoices&) override { return false; }
    void closeWindow() override { ++closed; }
    void setCreateCaption(const std::string& c) override { captions.push_back(c); }
    void setProgress(int v) override { progressValue = v; }
    int progress() const override { return progressValue; }
    void yield() override { ++yields; if (onYield) onYield(yields); }

    bool timer = false, hints[3] = {true, true, true};
    std::vector<std::string> viewerFiles, captions;
    std::string saveAnswer;  // empty: cancelled
    int16_t saveEntry = 0;
    std::deque<std::optional<std::string>> answers;
    PaneCanvas canvases[3];
    int progressValue = 0, yields = 0, closed = 0;
    std::function<void(int)> onYield;
};

// A form with its own recording view.
struct Form1Fixture {
    explicit Form1Fixture(FormFolders folders) : form(std::make_unique<Form1>(view, std::move(folders))) {}
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
}

// "link/.." in a picture's name is the folder above the link's target, as the
// system reads it, whether the name comes from the open dialog or the command line.
TEST_F(Form, DotDotAfterALinkIsTheFolderAboveItsTarget) {
    fs::create_directories(app / "real/pics");
    fs::create_symlink("real/pics", app / "link");
    fs::copy_file(headPic, app / "real/face.png");
    form->Form_Load();
    form->ScalePivra(1);
    view.answers = {app / "link/../face.png"};
    form->Picture1_Click();
    form->ChooseTail(app / "link/../face.png");
    EXPECT_EQ(form->state().HeadFile, app / "real/face.png");
    EXPECT_EQ(form->state().TailFile, app / "real/face.png");
    EXPECT_TRUE(notifier.shown.empty()) << prompt();
}

// Saving as WebP renders the animation the viewer plays, from the pictures and
// at the scale it was built with, whatever has been chosen since, head first.
TEST_F(Form, WebpSavesTheLastBuildNotTheCurrentChoice) {
    start(2);
    main.build();
    ASSERT_FALSE(form->state().BuildRequested);
    ASSERT_TRUE(WriteSolidPicture(app / "green.png", 50, 50, QColor(0, 200, 0)));
    form->ChooseHead(app / "green.png");
    form->ScalePivra(3);
    view.saveAnswer = app / "spin.webp";
    view.saveEntry = kWebpFilterIndex;
    form->SaveBtn_Click();
    EXPECT_TRUE(notifier.shown.empty()) << prompt();
    const WebpAnimation anim = ReadWebpAnimation(app / "spin.webp");
    ASSERT_TRUE(anim.ok);
    EXPECT_EQ(anim.width, 24);
    // The head that was built, face-on first.
    const std::uint8_t* centre = anim.frames.at(0).at(12, 12);
    EXPECT_TRUE(CloseColour(qRgb(centre[0], centre[1], centre[2]), kHead, 12));
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
         [&] { WriteSolidPicture(headPic, 300, 200, kHead); }, {"head picture", headPic, "no longer there"}},
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

// A picture changed on disk after it was chosen is imported again before the
// build: the pane, the animation and one line all show the new one.
TEST_F(Form, AChangedPictureIsReadAgainBeforeTheBuild) {
    const QColor green(30, 200, 30);
    start(1);
    tick(3);
    ASSERT_TRUE(WriteSolidPicture(app / "other.png", 40, 40, green));
    fs::copy_file(app / "other.png", headPic, fs::copy_options::overwrite_existing);  // cp other.png head.png
    main.build();
    ASSERT_EQ(ReadGifStructure(gif).frames.size(), 50u);
    const std::vector<QImage> frames = ReadGifFrames(gif);
    EXPECT_TRUE(CloseColour(frames.at(24).pixel(6, 6), green, 16)) << "frame 24 shows the head at full width";
    EXPECT_TRUE(CloseColour(paneImage(Pane::Picture1).pixel(6, 6), green, 16)) << "the pane shows what was built";
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(prompt(), "The head picture had changed on disk and was read again before the build.");
}

// A working folder that takes no new file (read-only, or its disk full) is
// named, with what to do, instead of blaming the picture.
TEST_F(Form, AWorkingFolderThatTakesNothingIsNamedNotThePicture) {
    start(1);
    const std::string work = app / "Work", other = app / "other.png";
    ASSERT_TRUE(WriteSolidPicture(other, 40, 40, QColor(30, 200, 30)));
    struct Case { const char* what; bool readOnly; const char* says; };
    for (const Case& c : {Case{"read-only", true, "Read-only file system"}, Case{"full", false, "No space left"}}) {
        SCOPED_TRACE(c.what);
        ScratchMount disk(work, "size=64k", c.readOnly);
        if (!disk.mounted()) GTEST_SKIP() << "cannot mount a scratch disk here";
        if (!c.readOnly) {
            std::ofstream filler(work + "/filler", std::ios::binary);
            const std::string block(4096, 'x');
            while (filler.write(block.data(), block.size())) {}
        }
        notifier.shown.clear();
        form->ChooseHead(other);
        EXPECT_EQ(form->state().HeadFile, headPic);
        ASSERT_EQ(notifier.shown.size(), 1u);
        for (const std::string& s : {"working folder\n" + work + "\n", std::string(c.says), std::string("Free some space")})
            EXPECT_NE(prompt().find(s), std::string::npos) << s << " in " << prompt();
        EXPECT_EQ(prompt().find("could not be read"), std::string::npos) << prompt();
    }
}

// A launch with a missing picture or more than two still opens: the missing
// one is named, the first two are taken and the rest named as left.
TEST_F(Form, ALaunchWithAMissingOrAThirdPictureOpensAndSaysWhich) {
    form->Form_Load();
    const std::string gone = app / "gone.jpg", third = app / "third.png";
    const Launch launch = CheckLaunch({gone, tailPic, third, "--scale", "2"});
    ASSERT_EQ(launch.problem, "");
    EXPECT_EQ(launch.args.scale, 2);
    form->OpenPictures(LaunchPictures(launch.args));
    EXPECT_EQ(form->state().HeadFile, "");
    EXPECT_EQ(form->state().TailFile, tailPic);
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_NE(prompt(0).find("head picture could not be read:\n" + gone), std::string::npos) << prompt(0);
    EXPECT_NE(prompt(1).find("Left:\n" + third), std::string::npos) << prompt(1);
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

// A window never works in a folder it does not hold: past a file in the way or
// folders in use to the next numbered one, past a root it cannot write in to
// the user's own; with no folder at all it says why and closes. In the folder
// it holds, the short-name folders a killed build left more than a day ago go.
TEST_F(Form, EveryWindowWorksInAFolderItHoldsLocked) {
    const std::string root = app / "root/", user = app / "user/", none = app / "afile/root/";
    std::ofstream(app / "afile") << "in the way";
    std::vector<std::unique_ptr<FolderLock>> others;
    const auto hold = [&](const std::string& folder) {
        fs::create_directories(folder);
        std::string why;
        others.push_back(std::make_unique<FolderLock>());
        ASSERT_TRUE(others.back()->tryLock(folder, kWorkingFolderLock, why));
    };
    TempFolder place{"form-ro"};
    ScratchMount readOnly(place.str(), "size=64k", true);
    struct Case { std::string what; std::function<void()> setup; std::string root, user, claimed; };
    std::vector<Case> cases = {
        {"a file named Window2", [&] { hold(root), std::ofstream(root + "Window2") << "mine"; }, root, user, root + "Window3/"},
        {"every window folder in use", [&] {
             hold(root);
             for (int n = 2; n <= kMostWindows; ++n) hold(root + kOtherWindowFolder + std::to_string(n));
         }, root, user, user},
        {"a root that cannot be made", [] {}, none, user, user},
        {"no folder at all", [] {}, none, app / "afile/user/", ""},
    };
    if (readOnly.mounted()) cases.push_back({"a read-only root", [] {}, place.str() + "/", user, user});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root), fs::remove_all(user), others.clear(), notifier.shown.clear();
        c.setup();
        const std::string stale = c.claimed + ".pivra-links-Ab12Cd", fresh = c.claimed + ".pivra-links-Ef34Gh";
        if (!c.claimed.empty()) {
            for (const std::string& links : {stale, fresh}) fs::create_directories(links);
            fs::create_symlink(app.str(), stale + "/1");
            fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(25));
        }
        Form1Fixture f{FormFolders{c.root, PIVRA_BIN_DIR, "", c.user}};
        f.form->Form_Load();
        EXPECT_EQ(f.form->AppStr(), c.claimed);
        EXPECT_EQ(f.view.closed, c.claimed.empty() ? 1 : 0);
        if (c.claimed.empty()) {
            ASSERT_EQ(notifier.shown.size(), 1u);
            for (const std::string& m : {c.root, c.user, std::string("Not a directory")})
                EXPECT_NE(prompt().find(m), std::string::npos) << m << " in " << prompt();
            continue;
        }
        EXPECT_TRUE(notifier.shown.empty()) << prompt();
        FolderLock other;
        std::string why;
        EXPECT_FALSE(other.tryLock(c.claimed, kWorkingFolderLock, why)) << "the window holds it";
        EXPECT_FALSE(fs::exists(stale));
        EXPECT_TRUE(fs::exists(fresh) && fs::exists(headPic)) << "links are removed, never followed";
    }
}

}  // namespace
}  // namespace pivra::test
