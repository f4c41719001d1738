// The real window on Qt's offscreen platform: import by clicks and drops, grabbed
// pixels of the panes, a build started from the tick and shown in the viewer.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include <wand/MagickWand.h>

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

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, kTail));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->setOpenFileChooser([this](const std::string&, int) {
            std::optional<std::string> a;
            if (!answers.empty()) a = answers.front(), answers.erase(answers.begin());
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
    const std::string headPic = app / "head.png", tailPic = app / "tail.bmp";
    std::vector<std::string> answers;
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};

TEST_F(Window, ClicksImportAndPanesShowTheMaskedFace) {
    EXPECT_EQ(window->client()->size(), QSize(400, 419));
    EXPECT_EQ(window->widget(Control::Picture2)->geometry(), QRect(201, 7, 196, 196));
    EXPECT_EQ(window->widget(Control::Gif89a1)->geometry(), QRect(204, 208, 192, 192));
    const QSize size = window->size();  // a size asked for from outside does not stick
    window->resize(size + QSize(100, 50));
    QTest::qWait(10);
    EXPECT_EQ(window->size(), size);
    clickPanes();
    EXPECT_FALSE(window->widget(Control::Label1)->isVisible());
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
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->pane(Pane::Picture2), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->pane(Pane::Picture2), &drop);
    EXPECT_EQ(window->form().state().TailFile, tailPic);
    EXPECT_TRUE(window->form().state().HeadFile.empty());
    EXPECT_TRUE(CloseColour(grab(Control::Picture2).pixel(98, 98), kTail, 12));
}

TEST_F(Window, BuildFromTheTickIsShownInTheViewerAndThePreviewGoesOn) {
    window->form().ScalePivra(2);
    clickPanes();
    const std::string gif = app / "Work/pivra.gif";
    EXPECT_FALSE(window->viewer()->playing());
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(gif) && !window->form().building(); }, 120000));
    EXPECT_TRUE(window->timer().isActive());
    // The viewer plays the new file; its frame is the file's as decoded on its own.
    ASSERT_TRUE(window->viewer()->playing());
    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    const QImage shown = window->viewer()->currentFrame().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), QSize(24, 24));
    EXPECT_TRUE(std::find(frames.begin(), frames.end(), shown) != frames.end());
    EXPECT_TRUE(notifier.shown.empty());
}

// A rebuilt file under the same name shows its new content; a bad one shows nothing.
TEST(GifViewer, ReadsTheFileAfreshAndShowsNothingForABadOne) {
    TempFolder dir{"viewer"};
    const std::string path = dir / "shown.gif";
    GifViewer viewer;
    const auto write = [&](int side, const char* colour) {
        MagickWandGenesis();
        MagickWand* wand = NewMagickWand();
        PixelWand* pixel = NewPixelWand();
        PixelSetColor(pixel, colour);
        MagickNewImage(wand, side, side, pixel);
        MagickWriteImage(wand, path.c_str());
        DestroyPixelWand(pixel);
        DestroyMagickWand(wand);
    };
    for (const auto& [side, colour, qt] : {std::tuple{10, "red", QColor(Qt::red)}, {20, "blue", QColor(Qt::blue)}}) {
        write(side, colour);
        viewer.setFile(path);
        ASSERT_TRUE(viewer.playing());
        EXPECT_EQ(viewer.currentFrame().size(), QSize(side, side));
        EXPECT_TRUE(CloseColour(viewer.currentFrame().pixel(5, 5), qt, 0));
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "GIF89a but nothing after";
    viewer.setFile(path);
    EXPECT_FALSE(viewer.playing());
    EXPECT_TRUE(viewer.currentFrame().isNull());
}

TEST(PivraProgram, MissingDisplayIsToldInOneLine) {
    const ProcessResult r = RunProcess({std::string(PIVRA_BIN_DIR) + "/pivra", "--scale", "4"},
                                       {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("pivra-make"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

}  // namespace
}  // namespace pivra::test
