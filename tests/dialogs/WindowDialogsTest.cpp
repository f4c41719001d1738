// The dialogs' real windows and saving, wired into the real main window under Qt's
// offscreen platform: the menus, the scale applied by OK, the Help windows, the
// save dialog, and the whole story from two pictures to a saved copy.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dialogs/Instructions.h"
#include "dialogs/qt/QtSaveDialog.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/qt/Form1Window.h"
#include "window/qt/GifViewer.h"
#include "support/FileContents.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;


// Top-level windows of one kind, after the pending deletions.
template <class T>
int CountTopLevel() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += dynamic_cast<T*>(w) ? 1 : 0;
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
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->setSaveFileChooser([this](const SaveDialogRequest&) {
            ++saveRequests;
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
    int saveRequests = 0;
    std::string saveAnswer;
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};
QApplication* WindowDialogs::app_ = nullptr;

TEST_F(WindowDialogs, ScaleDialogIsPlacedInTwipsAndOkLaysTheWindowOutAtFifty) {
    window->scaleAction()->trigger();
    ScaleDialog* d = window->dialogs().scaleDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->windowTitle(), "Scale a Pivra");
    EXPECT_EQ(d->size(), QSize(187, 104));
    struct Case { const char* name; QRect place; };
    const Case cases[] = {{"OKButton", {48, 75, 81, 25}}, {"Label1", {12, 6, 163, 13}},
                          {"HScroll1", {3, 27, 181, 16}}, {"Text1", {69, 48, 43, 19}}};
    for (const Case& c : cases) {
        auto* w = d->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.place) << c.name;
    }
    EXPECT_EQ(d->findChild<QLabel*>("Label1")->text(), "Choose a scale between 1 and 50");
    // Real keystrokes: " 1", " 13", " 13." then " 13.5" rounds to 14; the arrow's steps stop at 50.
    d->textBox()->selectAll();
    QTest::keyClicks(d->textBox(), "13.5");
    EXPECT_EQ(d->scrollBar()->value(), 14);
    EXPECT_EQ(d->textBox()->text(), " 14");
    for (int i = 0; i < 40; ++i) d->scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d->scrollBar()->value(), 50);
    EXPECT_EQ(d->textBox()->text(), " 50");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);

    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(window->form().i_size(), 600);
    EXPECT_EQ(window->client()->size(), QSize(2 * 600 + 16, 2 * 600 + 35));
    // The templates were remade at 600 pixels.
    EXPECT_EQ(QImage(QString::fromStdString(app / "Work/mask.bmp")).size(), QSize(600, 600));
    window->scaleAction()->trigger();
    EXPECT_EQ(window->dialogs().scaleDialog(), d) << "the same dialog, shown again";
    EXPECT_EQ(d->textBox()->text(), " 50");
}

TEST_F(WindowDialogs, HelpItemsShowOneCopyEachAndEnterOrEscapeEndsAbout) {
    for (int i = 0; i < 2; ++i) {
        window->manualAction()->trigger();
        window->aboutAction()->trigger();
    }
    EXPECT_EQ(CountTopLevel<InstructionsDialog>(), 1);
    EXPECT_EQ(CountTopLevel<AboutDialog>(), 1);

    InstructionsDialog* manual = window->dialogs().showManual();
    EXPECT_EQ(manual->windowTitle(), "Instructions");
    EXPECT_EQ(manual->size(), QSize(413, 257));
    EXPECT_EQ(manual->okButton()->geometry(), QRect(312, 228, 81, 25));
    EXPECT_EQ(manual->textLabel()->geometry(), QRect(9, 6, 397, 214));
    EXPECT_EQ(manual->textLabel()->text().toStdString(), std::string(kInstructions));
    QTest::mouseClick(manual->okButton(), Qt::LeftButton);
    EXPECT_FALSE(manual->isVisible());
    window->manualAction()->trigger();
    EXPECT_EQ(window->dialogs().showManual(), manual) << "OK only hides";
    EXPECT_TRUE(manual->isVisible());

    AboutDialog* about = window->dialogs().about();
    EXPECT_EQ(about->windowTitle(), "About PIVRA");
    EXPECT_EQ(about->size(), QSize(440, 185));
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version 1.0.0");
    EXPECT_TRUE(about->findChild<QLabel*>("lblDescription")->text().contains("spinning gif file for your web page."));
    EXPECT_TRUE(about->viewer()->playing()) << "the installation file Apivra.gif plays";
    EXPECT_EQ(about->viewer()->frameCount(), 50);
    EXPECT_TRUE(about->okButton()->isDefault());
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(key == Qt::Key_Escape ? "Escape" : "Enter");
        window->aboutAction()->trigger();
        QTest::keyClick(window->dialogs().about(), key);
        EXPECT_EQ(CountTopLevel<AboutDialog>(), 0) << "destroyed";
        EXPECT_EQ(window->dialogs().about(), nullptr);
    }
    window->aboutAction()->trigger();
    EXPECT_EQ(CountTopLevel<AboutDialog>(), 1) << "the next showing builds it afresh";

    DialogHost bare(window->form(), "/nonexistent/", nullptr);  // opens without its animation
    EXPECT_TRUE(bare.showAbout()->isVisible());
    EXPECT_FALSE(bare.about()->viewer()->playing());
}

TEST_F(WindowDialogs, SaveDialogShowsTheFiltersAndAddsNoExtension) {
    EXPECT_EQ(QtNameFilters(kSaveFilter), (QStringList{"All Files (*.*) (*)", "GIF Files (*.gif) (*.[gG][iI][fF])"}));
    const std::string chosen = app / "spin";
    QStringList shown;
    int current = -1;
    QString nameAtOpen = "unset";
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        current = types->currentIndex();
        nameAtOpen = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
        dialog->selectFile(QString::fromStdString(chosen));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtSaveDialog dialog(nullptr);
    const std::string answer = dialog.AskSaveFileName({"", kSaveFilter, kSaveFilterIndex});
    EXPECT_EQ(shown, (QStringList{"All Files (*.*)", "GIF Files (*.gif)"}));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(nameAtOpen, "");
    EXPECT_EQ(answer, chosen);
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(dialog.AskSaveFileName({"", kSaveFilter, kSaveFilterIndex}), "") << "cancel";
}

// Two pictures, CREATE PIVRA, then the label and the menu item each save a byte-equal copy.
TEST_F(WindowDialogs, FromTwoPicturesToASavedCopy) {
    const std::string headPic = app / "head.png", tailPic = app / "tail.jpg", gif = app / "Work/pivra.gif";
    ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, QColor(220, 30, 30)));
    ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, QColor(30, 60, 220)));
    window->form().ScalePivra(2);
    window->form().ChooseHead(headPic);
    window->form().ChooseTail(tailPic);
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(gif) && !window->form().building(); }, 120000));
    EXPECT_EQ(ReadGifStructure(gif).screenWidth, 24);

    const std::string label = app / "saved by label", menu = app / "saved by menu";
    saveAnswer = label;
    QTest::mouseClick(window->widget(Control::SaveBtn), Qt::LeftButton);
    saveAnswer = menu;
    window->saveAction()->trigger();
    EXPECT_EQ(saveRequests, 2);
    EXPECT_EQ(FileContents(label), FileContents(gif));
    EXPECT_EQ(FileContents(menu), FileContents(gif));
    EXPECT_EQ(ReadGifFrames(label).size(), 50u);
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
