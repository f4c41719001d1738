// The dialogs and saving wired into the real main window, on Qt's offscreen
// platform: the menus, the scale applied by OK, and the whole story from two
// pictures to a saved copy.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/qt/Form1Window.h"
#include "window/qt/GifViewer.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(5);
    }
    return true;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

template <class T>
int CountTopLevel() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += dynamic_cast<T*>(w) && w->isVisible() ? 1 : 0;
    return n;
}

class WindowDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "window_dialog_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, QColor(220, 30, 30)));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, QColor(30, 60, 220)));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->setSaveFileChooser([this](const SaveDialogRequest& r) {
            saveRequests.push_back(r);
            return saveAnswer;
        });
        window->form().Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QApplication* app_;
    TempFolder app{"window-dialogs"};
    const std::string headPic = app / "head.png";
    const std::string tailPic = app / "tail.jpg";
    std::vector<SaveDialogRequest> saveRequests;
    std::string saveAnswer;
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};
QApplication* WindowDialogs::app_ = nullptr;

TEST_F(WindowDialogs, ScaleDialogOkLaysTheWindowOutAtFifty) {
    window->scaleAction()->trigger();
    ScaleDialog* d = window->dialogs().scaleDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->textBox()->text(), "16");
    d->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(d->textBox()->text(), " 50");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);

    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(window->form().i_size(), 600);
    EXPECT_EQ(window->client()->size(), QSize(2 * 600 + 16, 2 * 600 + 35));
    EXPECT_EQ(window->widget(Control::Picture4)->geometry(), QRect(609, 613, 604, 604));
    EXPECT_EQ(window->widget(Control::Gif89a1)->geometry(), QRect(612, 616, 600, 600));
    // The templates were remade at 600 pixels.
    EXPECT_EQ(QImage(QString::fromStdString(app / "Work/mask.bmp")).size(), QSize(600, 600));

    window->scaleAction()->trigger();
    EXPECT_EQ(window->dialogs().scaleDialog(), d) << "the same dialog, shown again";
    EXPECT_EQ(d->textBox()->text(), " 50");
}

TEST_F(WindowDialogs, HelpItemsShowOneCopyEach) {
    for (int i = 0; i < 2; ++i) {
        window->manualAction()->trigger();
        window->aboutAction()->trigger();
    }
    EXPECT_EQ(CountTopLevel<InstructionsDialog>(), 1);
    EXPECT_EQ(CountTopLevel<AboutDialog>(), 1);
    EXPECT_EQ(window->dialogs().about()->windowTitle(), "About PIVRA");
}

TEST_F(WindowDialogs, SavingBeforeAnyBuildSaysSoAndAsksNothing) {
    saveAnswer = app / "early.gif";
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_TRUE(saveRequests.empty());
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("no Pivra to save"), std::string::npos);
    EXPECT_FALSE(fs::exists(saveAnswer));
}

// Two pictures chosen at start, CREATE PIVRA, the viewer's new file, then the
// label and the menu item each save a byte-equal copy under the chosen name.
TEST_F(WindowDialogs, FromTwoPicturesToASavedCopy) {
    window->form().ScalePivra(2);
    window->form().ChooseHead(headPic);
    window->form().ChooseTail(tailPic);
    ASSERT_TRUE(window->timer().isActive()) << "the preview turns once both pictures are in";

    const std::string gif = app / "Work/pivra.gif";
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(gif) && !window->form().building(); }, 120000));
    const GifInfo info = ReadGifStructure(gif);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.frames.size(), 50u);
    EXPECT_EQ(info.screenWidth, 24);
    EXPECT_EQ(window->viewer()->file(), gif);
    EXPECT_TRUE(window->viewer()->playing());

    const std::string label = app / "saved by label", menu = app / "saved by menu";
    saveAnswer = label;
    QTest::mouseClick(window->widget(Control::SaveBtn), Qt::LeftButton);
    saveAnswer = menu;
    window->saveAction()->trigger();
    ASSERT_EQ(saveRequests.size(), 2u);
    for (const SaveDialogRequest& r : saveRequests) {
        EXPECT_EQ(r.fileName, "");
        EXPECT_EQ(r.filter, "All Files (*.*)|*.*|GIF Files (*.gif)|*.gif");
        EXPECT_EQ(r.filterIndex, 2);
    }
    EXPECT_EQ(Bytes(label), Bytes(gif));
    EXPECT_EQ(Bytes(menu), Bytes(gif));
    EXPECT_EQ(ReadGifFrames(label).size(), 50u);
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
