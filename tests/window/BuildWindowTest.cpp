// The real window while a build runs: a pane clicked and a file dropped wait
// until the build has returned, and closing the window stops the build and
// keeps the last animation. Files dropped together make both faces.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "support/FileContents.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/qt/Form1Window.h"
#include "window/qt/PaneWidget.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
const QColor kHead(220, 30, 30), kTail(30, 60, 220), kGreen(30, 200, 30), kWhite(240, 240, 240);

class BuildWindow : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [path, colour] : {std::pair{headPic, kHead}, {tailPic, kTail}, {greenPic, kGreen}, {whitePic, kWhite}})
            ASSERT_TRUE(WriteSolidPicture(path, 60, 40, colour));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->setOpenFileChooser([this](const std::string&, int) {
            ++dialogs;
            return std::optional<std::string>(greenPic);
        });
        window->form().Form_Load();
        window->form().ScalePivra(2);
        window->form().ChooseHead(headPic);
        window->form().ChooseTail(tailPic);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Runs `act` from the window's event loop once the build is under way.
    void duringTheBuild(std::function<void()> act) {
        auto* bar = static_cast<QProgressBar*>(window->widget(Control::ProgressBar1));
        QObject::connect(bar, &QProgressBar::valueChanged, window.get(), [this, act, done = false](int v) mutable {
            if (v < 30 || std::exchange(done, true)) return;
            EXPECT_TRUE(window->form().building());
            QTimer::singleShot(0, window.get(), act);
        }, Qt::DirectConnection);
    }
    void build() {
        QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->form().state().BuildRequested && !window->form().building(); }, 60000));
    }
    void drop(Pane pane, const std::vector<std::string>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window->pane(pane), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window->pane(pane), &event);
    }
    QRgb paneCentre(Pane p) { return window->pane(p)->grab().toImage().pixel(12, 12); }

    TempFolder app{"buildwindow"};
    const std::string headPic = app / "head.png", tailPic = app / "tail.png", greenPic = app / "green.png",
                      whitePic = app / "white.png", gif = app / "Work/pivra.gif";
    int dialogs = 0;
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};

TEST_F(BuildWindow, AClickAndADropDuringABuildWaitForItsEnd) {
    bool acted = false;
    duringTheBuild([&] {
        acted = true;
        QTest::mouseClick(window->pane(Pane::Picture1), Qt::LeftButton);
        drop(Pane::Picture2, {whitePic});
        EXPECT_EQ(dialogs, 0) << "no dialog inside the build";
        EXPECT_EQ(window->form().state().HeadFile, headPic);
        EXPECT_EQ(window->form().state().TailFile, tailPic);
        EXPECT_TRUE(CloseColour(paneCentre(Pane::Picture2), kTail, 16));
    });
    build();
    ASSERT_TRUE(acted);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(window->form().state().HeadFile, greenPic);
    EXPECT_EQ(window->form().state().TailFile, whitePic);
    EXPECT_TRUE(CloseColour(paneCentre(Pane::Picture1), kGreen, 16));
    EXPECT_TRUE(CloseColour(paneCentre(Pane::Picture2), kWhite, 16));
    // The animation shows the faces it was built from: frame 0 the tail, 24 the head.
    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    EXPECT_TRUE(CloseColour(frames[0].pixel(12, 12), kTail, 16));
    EXPECT_TRUE(CloseColour(frames[24].pixel(12, 12), kHead, 16));
    EXPECT_TRUE(notifier.shown.empty());
}

// Files dropped together on either pane are the head and the tail, in the
// order dropped; more than two: the first two, and the rest named as left.
TEST_F(BuildWindow, FilesDroppedTogetherAreHeadAndTailInTheirOrder) {
    struct Case { Pane on; std::vector<std::string> files; QColor head, tail; size_t told; };
    const Case cases[] = {{Pane::Picture2, {greenPic, whitePic}, kGreen, kWhite, 0},
                          {Pane::Picture1, {whitePic, greenPic, headPic}, kWhite, kGreen, 1}};
    for (const Case& c : cases) {
        drop(c.on, c.files);
        EXPECT_EQ(window->form().state().HeadFile, c.files[0]);
        EXPECT_EQ(window->form().state().TailFile, c.files[1]);
        EXPECT_TRUE(CloseColour(paneCentre(Pane::Picture1), c.head, 16));
        EXPECT_TRUE(CloseColour(paneCentre(Pane::Picture2), c.tail, 16));
        ASSERT_EQ(notifier.shown.size(), c.told);
    }
    EXPECT_NE(notifier.shown[0].prompt.find("Left:\n" + headPic), std::string::npos) << notifier.shown[0].prompt;
}

TEST_F(BuildWindow, ClosingDuringABuildStopsItAndKeepsTheLastAnimation) {
    build();
    const std::string before = FileContents(gif);
    ASSERT_EQ(ReadGifStructure(gif).frames.size(), 50u);
    bool refused = false;
    duringTheBuild([&] { refused = !window->close(); });
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 60000));
    EXPECT_TRUE(refused) << "the window waits for the build to stop";
    EXPECT_FALSE(window->form().building());
    EXPECT_EQ(FileContents(gif), before);
    EXPECT_FALSE(fs::exists(app / "Images") || fs::exists(app / "Masks"));
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
