// The real window and its dialogs on Qt's offscreen platform: import by clicks and
// drops, the grabbed pixels of a pane, the whole story from two pictures to a saved
// copy, the scale dialog, the Help windows, the save dialog, the viewer, and the
// program without a display.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "dialogs/Instructions.h"
#include "dialogs/qt/QtSaveDialog.h"
#include "support/FileContents.h"
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

// Top-level windows of one kind, after the pending deletions.
template <class T>
int CountTopLevel() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += dynamic_cast<T*>(w) ? 1 : 0;
    return n;
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
    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QImage grab(Control c) { return window->widget(c)->grab().toImage(); }

    TempFolder app{"window"};
    const std::string headPic = app / "head.png", tailPic = app / "tail.bmp";
    std::vector<std::string> answers;
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};

TEST_F(Window, ClicksImportAndPanesShowTheMaskedFace) {
    EXPECT_EQ(window->widget(Control::Picture2)->geometry(), QRect(201, 7, 196, 196));
    const QSize size = window->size();  // a size asked for from outside does not stick
    window->resize(size + QSize(100, 50));
    QTest::qWait(10);
    EXPECT_EQ(window->size(), size);
    answers = {headPic, tailPic};
    QTest::mouseClick(window->pane(Pane::Picture1), Qt::LeftButton);
    QTest::mouseClick(window->widget(Control::Label2), Qt::LeftButton);
    EXPECT_FALSE(window->widget(Control::Label1)->isVisible());
    EXPECT_FALSE(window->widget(Control::Label3)->isVisible());
    // Inside the 2-pixel frame: the face at 192, black outside the disc.
    const QImage head = grab(Control::Picture1);
    ASSERT_EQ(head.size(), QSize(196, 196));
    EXPECT_TRUE(CloseColour(head.pixel(98, 98), kHead, 12));
    for (QPoint p : {QPoint(2, 2), QPoint(193, 2), QPoint(2, 193), QPoint(193, 193), QPoint(10, 10)})
        EXPECT_TRUE(CloseColour(head.pixel(p), Qt::black, 0)) << p.x() << "," << p.y();
    EXPECT_TRUE(CloseColour(grab(Control::Picture2).pixel(98, 98), kTail, 12));
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

// CREATE PIVRA: the tick builds, the viewer plays the new file under the old name and
// the preview goes on; then the label and the menu item each save a byte-equal copy.
TEST_F(Window, FromTwoPicturesToASavedCopy) {
    int saves = 0;
    window->setSaveFileChooser([&](const SaveDialogRequest&) { return app / (++saves == 1 ? "by label" : "by menu"); });
    const std::string gif = app / "Work/pivra.gif";
    fs::copy_file(std::string(PIVRA_BIN_DIR) + "/Apivra.gif", gif);  // an earlier animation, at 96
    window->form().ScalePivra(2);
    window->form().ChooseHead(headPic);
    window->form().ChooseTail(tailPic);
    EXPECT_EQ(window->viewer()->currentFrame().size(), QSize(96, 96));
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->form().state().BuildRequested && !window->form().building(); }, 120000));
    EXPECT_TRUE(window->timer().isActive());
    // The viewer's frame is one of the file's as decoded on its own.
    ASSERT_TRUE(window->viewer()->playing());
    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    const QImage shown = window->viewer()->currentFrame().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), QSize(24, 24));
    EXPECT_TRUE(std::find(frames.begin(), frames.end(), shown) != frames.end());
    QTest::mouseClick(window->widget(Control::SaveBtn), Qt::LeftButton);
    window->saveAction()->trigger();
    EXPECT_EQ(saves, 2);
    for (const char* name : {"by label", "by menu"}) EXPECT_EQ(FileContents(app / name), FileContents(gif)) << name;
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Window, ScaleDialogIsPlacedInTwipsAndOkLaysTheWindowOutAtFifty) {
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
    window->scaleAction()->trigger();
    EXPECT_EQ(window->dialogs().scaleDialog(), d) << "the same dialog, shown again";
}

TEST_F(Window, HelpItemsShowOneCopyEachAndEnterOrEscapeEndsAbout) {
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
    EXPECT_TRUE(about->viewer()->playing()) << "the installation file Apivra.gif plays";
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

TEST_F(Window, SaveDialogShowsTheFiltersAndAddsNoExtension) {
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
        types->setCurrentIndex(2);  // the user picks the WebP entry
        emit types->activated(2);
        dialog->selectFile(QString::fromStdString(chosen));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtSaveDialog dialog(nullptr);
    SaveDialogRequest request{"", kSaveFilter, kSaveFilterIndex};
    const std::string answer = dialog.AskSaveFileName(request);
    EXPECT_EQ(shown, (QStringList{"All Files (*.*)", "GIF Files (*.gif)", "Animated WebP (*.webp)", "Animated PNG (*.png)"}));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(nameAtOpen, "");
    EXPECT_EQ(answer, chosen);
    EXPECT_EQ(request.filterIndex, 3) << "the entry the user left selected";
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    SaveDialogRequest cancelled{"", kSaveFilter, kSaveFilterIndex};
    EXPECT_EQ(dialog.AskSaveFileName(cancelled), "") << "cancel";
}

// File, Page Colour…: Qt's colour dialog on the colour so far; the choice is
// the form's, and the next window (the next run) starts with it.
TEST_F(Window, PageColourIsChosenInTheColourDialogAndRememberedForTheNextRun) {
    const QList<QAction*> file = window->menuBar()->actions().first()->menu()->actions();
    ASSERT_TRUE(file.contains(window->pageColourAction()));
    EXPECT_EQ(window->pageColourAction()->text(), QString::fromUtf8("Page Colour\u2026"));
    QColor opened;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        opened = dialog->currentColor();
        dialog->setCurrentColor(QColor(0x20, 0x30, 0x40));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->pageColourAction()->trigger();
    EXPECT_EQ(opened, QColor(Qt::white));
    EXPECT_EQ(window->form().pageColour(), "#203040");
    EXPECT_EQ(window->form().state().PageColour, "#203040");
    TempFolder other{"window-next"};
    Form1Window next(FormFolders{other.str(), PIVRA_BIN_DIR});
    EXPECT_EQ(next.form().pageColour(), "#203040");
    QSettings("PIVRA", "pivra").remove("pageColour");  // the other tests start without one
}

// A file under the same name is read afresh; a bad one shows nothing.
TEST(GifViewer, ReadsTheFileAfreshAndShowsNothingForABadOne) {
    TempFolder dir{"viewer"};
    const std::string path = dir / "shown.gif";
    fs::copy_file(std::string(PIVRA_BIN_DIR) + "/Apivra.gif", path);
    GifViewer viewer;
    viewer.setFile(path);
    ASSERT_TRUE(viewer.playing());
    EXPECT_EQ(viewer.currentFrame().size(), QSize(96, 96));
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
