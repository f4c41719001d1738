// The real window on Qt's offscreen platform: layout, import by clicks,
// pixels of the panes, a build started from the tick and shown in the viewer.
#include <gtest/gtest.h>

#include <wand/MagickWand.h>

#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/qt/Form1Window.h"
#include "window/qt/GifViewer.h"
#include "window/qt/PaneWidget.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

const QColor kHead(220, 30, 30), kTail(30, 60, 220);

// Runs the event loop until done() or the time is up.
bool WaitFor(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(5);
    }
    return true;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A one-colour GIF written by ImageMagick, not by us.
void WriteGif(const std::string& path, int side, const char* colour) {
    MagickWandGenesis();
    MagickWand* wand = NewMagickWand();
    PixelWand* pixel = NewPixelWand();
    PixelSetColor(pixel, colour);
    MagickNewImage(wand, side, side, pixel);
    MagickWriteImage(wand, path.c_str());
    DestroyPixelWand(pixel);
    DestroyMagickWand(wand);
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, kTail));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->setOpenFileChooser([this](const std::string&, int) {
            std::optional<std::string> a;
            if (!answers.empty()) {
                a = answers.front();
                answers.erase(answers.begin());
            }
            return a;
        });
        window->form().Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void clickPanes() {
        answers = {headPic, tailPic};
        QTest::mouseClick(window->pane(Pane::Picture1), Qt::LeftButton);
        QTest::mouseClick(window->widget(Control::Label2), Qt::LeftButton);
    }

    QImage grab(Control c) { return window->widget(c)->grab().toImage(); }

    TempFolder app{"window"};
    const std::string headPic = app / "head.png";
    const std::string tailPic = app / "tail.bmp";
    std::vector<std::string> answers;
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};

TEST_F(Window, ControlsMenusAndFixedSize) {
    EXPECT_EQ(window->windowTitle(), "PIVRA MAKER PRO");
    EXPECT_EQ(window->client()->size(), QSize(400, 419));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->widget(Control::Picture2)->geometry(), QRect(201, 7, 196, 196));
    EXPECT_EQ(window->widget(Control::Gif89a1)->geometry(), QRect(204, 208, 192, 192));
    EXPECT_EQ(window->widget(Control::SaveBtn)->geometry(), QRect(101, 403, 96, 16));
    EXPECT_EQ(window->widget(Control::Label1)->geometry(), QRect(33, 48, 130, 100));

    const struct {
        Control c;
        const char* caption;
        const char* family;
        int points;
        QColor text, back;
    } labels[] = {
        {Control::Label1, "CLICK HERE TO LOAD HEAD IMAGE", "Liberation Sans", 14, {255, 255, 128}, Qt::black},
        {Control::Label2, "CLICK HERE TO LOAD TAIL IMAGE", "Liberation Sans", 14, {255, 255, 128}, Qt::black},
        {Control::Label3, "IMAGE BEFORE CREATING THE PIVRA", "Liberation Sans", 14, {255, 255, 128}, Qt::black},
        {Control::CreateBtn, "CREATE PIVRA", "Liberation Sans Narrow", 10, {255, 255, 0}, {0, 0, 192}},
        {Control::SaveBtn, "SAVE PIVRA", "Liberation Sans Narrow", 10, {255, 255, 0}, {0, 0, 192}},
    };
    for (const auto& l : labels) {
        auto* label = qobject_cast<QLabel*>(window->widget(l.c));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), l.caption);
        EXPECT_TRUE(label->isVisible()) << l.caption;
        const QFontInfo info(label->font());
        EXPECT_EQ(info.family(), l.family) << l.caption;
        EXPECT_TRUE(info.bold()) << l.caption;
        EXPECT_EQ(label->font().pointSize(), l.points) << l.caption;
        // The corner is background; somewhere there is text in its colour.
        const QImage img = label->grab().toImage();
        EXPECT_TRUE(CloseColour(img.pixel(0, 0), l.back, 0)) << l.caption;
        bool text = false;
        for (int y = 0; y < img.height() && !text; ++y)
            for (int x = 0; x < img.width() && !text; ++x) text = CloseColour(img.pixel(x, y), l.text, 0);
        EXPECT_TRUE(text) << l.caption;
    }

    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&Help");
    const struct {
        QAction* action;
        const char* caption;
        bool enabled;
    } items[] = {{window->scaleAction(), "Scale a Pivra", true},
                 {window->createAction(), "Create a Pivra", true},
                 {window->saveAction(), "Save the Pivra", true},
                 {window->manualAction(), "Manual", true},
                 {window->aboutAction(), "About", true}};
    for (const auto& i : items) {
        EXPECT_EQ(i.action->text(), i.caption);
        EXPECT_EQ(i.action->isEnabled(), i.enabled) << i.caption;
    }
    EXPECT_EQ(window->createAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(window->saveAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

    // A size asked for from outside does not stick.
    const QSize size = window->size();
    window->resize(size + QSize(100, 50));
    QTest::qWait(10);
    EXPECT_EQ(window->size(), size);
    window->showMinimized();
    window->showNormal();
    QTest::qWait(10);
    EXPECT_EQ(window->client()->size(), QSize(400, 419));
}

TEST_F(Window, ClicksImportAndPanesShowTheMaskedFace) {
    clickPanes();
    EXPECT_FALSE(window->widget(Control::Label1)->isVisible());
    EXPECT_FALSE(window->widget(Control::Label2)->isVisible());
    EXPECT_FALSE(window->widget(Control::Label3)->isVisible());
    EXPECT_TRUE(window->timer().isActive());
    EXPECT_EQ(window->timer().interval(), 60);

    // Inside the 2-pixel frame: the face at 192, black outside the disc.
    const QImage head = grab(Control::Picture1);
    ASSERT_EQ(head.size(), QSize(196, 196));
    EXPECT_TRUE(CloseColour(head.pixel(98, 98), kHead, 12));
    for (QPoint p : {QPoint(2, 2), QPoint(193, 2), QPoint(2, 193), QPoint(193, 193), QPoint(10, 10)})
        EXPECT_TRUE(CloseColour(head.pixel(p), Qt::black, 0)) << p.x() << "," << p.y();
    EXPECT_TRUE(CloseColour(grab(Control::Picture2).pixel(98, 98), kTail, 12));

    // The preview at the head's full width.
    window->timer().stop();
    for (int k = 0; k < 50 && !(window->form().state().SpinPos == 192 && window->form().state().ShowHead); ++k)
        window->form().Timer1_Timer();
    window->timer().stop();
    const QImage preview = grab(Control::Picture3);
    EXPECT_TRUE(CloseColour(preview.pixel(98, 98), kHead, 12));
    EXPECT_TRUE(CloseColour(preview.pixel(4, 98), kHead, 40));
    for (QPoint p : {QPoint(2, 2), QPoint(193, 193), QPoint(10, 185)})
        EXPECT_TRUE(CloseColour(preview.pixel(p), Qt::black, 0)) << p.x() << "," << p.y();
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Window, DroppedFileIsImportedOnThatSide) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(tailPic))});
    QWidget* pane = window->pane(Pane::Picture2);
    const QPoint at(50, 50);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane, &drop);
    EXPECT_EQ(window->form().state().TailFile, tailPic);
    EXPECT_TRUE(window->form().state().HeadFile.empty());
    EXPECT_FALSE(window->widget(Control::Label2)->isVisible());
    EXPECT_TRUE(CloseColour(grab(Control::Picture2).pixel(98, 98), kTail, 12));
}

TEST_F(Window, BuildFromTheTickIsShownInTheViewerAndThePreviewGoesOn) {
    window->form().ScalePivra(2);
    clickPanes();
    const std::string gif = app / "Work/pivra.gif";
    EXPECT_FALSE(window->viewer()->playing());  // no animation yet: an empty frame

    // Watches the build from inside its yields: repaints panes, notes the timer.
    bool sawBuild = false, timerDuringBuild = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!window->form().building()) return;
        sawBuild = true;
        window->pane(Pane::Picture1)->repaint();
        window->pane(Pane::Picture2)->repaint();
        timerDuringBuild = timerDuringBuild || window->timer().isActive();
    });
    watcher.start(0);
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(gif) && !window->form().building(); }, 120000));
    watcher.stop();
    EXPECT_TRUE(sawBuild);
    EXPECT_FALSE(timerDuringBuild);
    EXPECT_TRUE(window->timer().isActive());
    EXPECT_EQ(qobject_cast<QLabel*>(window->widget(Control::CreateBtn))->text(), "CREATE PIVRA");
    EXPECT_EQ(qobject_cast<QProgressBar*>(window->widget(Control::ProgressBar1))->value(), 0);

    // The viewer plays the new file; its frame is the file's as decoded on its own.
    ASSERT_TRUE(window->viewer()->playing());
    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    const QImage shown = window->viewer()->currentFrame().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), QSize(24, 24));
    bool matched = false;
    for (const QImage& f : frames) matched = matched || f == shown;
    EXPECT_TRUE(matched);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Window, ClosingDuringABuildWaitsForItToStopAndKeepsTheOldAnimation) {
    window->form().ScalePivra(1);
    clickPanes();
    const std::string gif = app / "Work/pivra.gif";
    std::ofstream(gif, std::ios::binary) << "the previous animation";
    bool closeRefused = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (window->form().building() && !closeRefused) closeRefused = !window->close();
    });
    closer.start(0);
    window->form().CreateBtn_Click();
    ASSERT_TRUE(WaitFor([&] { return !window->isVisible(); }, 60000));
    closer.stop();
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(ReadAll(gif) == "the previous animation");
    EXPECT_FALSE(fs::exists(app / "Images"));
    EXPECT_FALSE(fs::exists(app / "Masks"));
}

TEST(GifViewer, ReadsTheFileAfreshAndShowsNothingForABadOne) {
    TempFolder dir{"viewer"};
    const std::string path = dir / "shown.gif";
    GifViewer viewer;
    viewer.setFile(path);
    EXPECT_FALSE(viewer.playing());
    EXPECT_TRUE(viewer.currentFrame().isNull());

    WriteGif(path, 10, "red");
    viewer.setFile(path);
    ASSERT_TRUE(viewer.playing());
    EXPECT_EQ(viewer.currentFrame().size(), QSize(10, 10));
    EXPECT_TRUE(CloseColour(viewer.currentFrame().pixel(5, 5), Qt::red, 0));

    WriteGif(path, 20, "blue");
    viewer.setFile(path);
    ASSERT_TRUE(viewer.playing());
    EXPECT_EQ(viewer.currentFrame().size(), QSize(20, 20));
    EXPECT_TRUE(CloseColour(viewer.currentFrame().pixel(5, 5), Qt::blue, 0));

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "GIF89a but nothing after";
    viewer.setFile(path);
    EXPECT_FALSE(viewer.playing());
    EXPECT_TRUE(viewer.currentFrame().isNull());
}

TEST(PivraProgram, RefusesBadArgumentsAndMissingDisplayInOneLine) {
    const std::string pivra = std::string(PIVRA_BIN_DIR) + "/pivra";
    const ProcessResult bad = RunProcess({pivra, "--scale", "99"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.rfind("pivra: --scale", 0), 0u) << bad.err;
    EXPECT_NE(bad.err.find("usage: pivra"), std::string::npos);

    const ProcessResult missing = RunProcess({pivra, "/no/such/head.jpg"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err.rfind("pivra: no such picture file '/no/such/head.jpg'\n", 0), 0u) << missing.err;

    const ProcessResult headless =
        RunProcess({pivra, "--scale", "4"}, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    EXPECT_EQ(headless.exitCode, 1);
    EXPECT_NE(headless.err.find("pivra-make"), std::string::npos) << headless.err;
    EXPECT_EQ(headless.err.find('\n'), headless.err.size() - 1) << headless.err;

    const ProcessResult version = RunProcess({pivra, "--version"}, {"DISPLAY="});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("pivra ", 0), 0u);
}

}  // namespace
}  // namespace pivra::test
