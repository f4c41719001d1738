// The dialogs' real windows under Qt's offscreen platform, driven with QTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

#include "dialogs/Instructions.h"
#include "dialogs/qt/DialogHost.h"
#include "dialogs/qt/QtSaveDialog.h"
#include "window/qt/GifViewer.h"

namespace pivra {
namespace {

class FakeMainWindow : public ScaleOwner {
public:
    int16_t CurrentSize() const override { return i_size; }
    void ScalePivra(int16_t scale) override {
        calls.push_back(scale);
        dialogVisibleAtCall.push_back(watched && watched->isVisible());
        i_size = static_cast<int16_t>(12 * scale);
    }
    int16_t i_size = 192;
    std::vector<int16_t> calls;
    std::vector<bool> dialogVisibleAtCall;
    QWidget* watched = nullptr;
};

class DialogWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "dialog_windows_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }
    void TearDown() override { flushDeletes(); }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    template <class T>
    static int countTopLevel() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) n += dynamic_cast<T*>(w) ? 1 : 0;
        return n;
    }

    static QApplication* app_;
    FakeMainWindow owner;
    DialogHost host{owner, std::string(PIVRA_BIN_DIR) + "/", nullptr};
};
QApplication* DialogWindows::app_ = nullptr;

TEST_F(DialogWindows, ScaleDialogIsPlacedInTwips) {
    ScaleDialog* d = host.showScale();
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
    EXPECT_EQ(d->scrollBar()->minimum(), 1);
    EXPECT_EQ(d->scrollBar()->maximum(), 50);
}

TEST_F(DialogWindows, ScaleDialogMirrorsAndAppliesOnOk) {
    ScaleDialog* d = host.showScale();
    owner.watched = d;
    ASSERT_TRUE(d->isVisible());
    EXPECT_EQ(d->scrollBar()->value(), 16);
    EXPECT_EQ(d->textBox()->text(), "16");

    d->textBox()->selectAll();
    QTest::keyClicks(d->textBox(), "9");
    EXPECT_EQ(d->scrollBar()->value(), 9);
    EXPECT_EQ(d->textBox()->text(), " 9");

    d->textBox()->selectAll();
    QTest::keyClicks(d->textBox(), "13.5");  // " 1", " 13", " 13." then " 13.5" rounds to 14
    EXPECT_EQ(d->scrollBar()->value(), 14);
    EXPECT_EQ(d->textBox()->text(), " 14");

    // The arrow's steps, as clicks on it make them.
    for (int i = 0; i < 40; ++i) d->scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d->scrollBar()->value(), 50);
    EXPECT_EQ(d->textBox()->text(), " 50");

    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(owner.calls, std::vector<int16_t>{50});
    EXPECT_EQ(owner.dialogVisibleAtCall, std::vector<bool>{false}) << "hidden before the scale is applied";
    EXPECT_FALSE(d->isVisible());

    flushDeletes();
    ScaleDialog* again = host.showScale();
    EXPECT_EQ(again, d) << "hidden, not destroyed";
    EXPECT_EQ(again->textBox()->text(), " 50");
    EXPECT_EQ(countTopLevel<ScaleDialog>(), 1);
}

TEST_F(DialogWindows, InstructionsShowTheTextAndOkOnlyHides) {
    InstructionsDialog* d = host.showManual();
    EXPECT_EQ(d->windowTitle(), "Instructions");
    EXPECT_EQ(d->size(), QSize(413, 257));
    EXPECT_EQ(d->okButton()->geometry(), QRect(312, 228, 81, 25));
    EXPECT_EQ(d->textLabel()->geometry(), QRect(9, 6, 397, 214));
    EXPECT_EQ(d->textLabel()->text().toStdString(), std::string(kInstructions));
    EXPECT_TRUE(d->textLabel()->font().bold());
    EXPECT_TRUE(d->textLabel()->wordWrap());
    EXPECT_EQ(host.showManual(), d);
    EXPECT_EQ(countTopLevel<InstructionsDialog>(), 1);

    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    flushDeletes();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(host.showManual(), d);
    EXPECT_TRUE(d->isVisible());
}

TEST_F(DialogWindows, AboutShowsItsTextsAndEnterOrEscapeEndsIt) {
    AboutDialog* d = host.showAbout();
    EXPECT_EQ(d->windowTitle(), "About PIVRA");
    EXPECT_EQ(d->size(), QSize(440, 185));
    EXPECT_EQ(d->findChild<QLabel*>("lblTitle")->text(), "PIVRA");
    EXPECT_TRUE(d->findChild<QLabel*>("lblTitle")->font().bold());
    EXPECT_EQ(d->findChild<QLabel*>("lblTitle")->font().pointSizeF(), 12.0);
    EXPECT_EQ(d->findChild<QLabel*>("lblVersion")->text(), "Version 1.0.0");
    EXPECT_EQ(d->findChild<QLabel*>("Label1")->text(), "Additional credit to ImageMagick");
    EXPECT_TRUE(d->findChild<QLabel*>("lblDescription")
                    ->text()
                    .contains("\nApplication to create a spinning gif file for your web page.\n"));
    EXPECT_EQ(d->findChild<QWidget*>("Line1")->palette().color(QPalette::Window), QColor(128, 128, 128));
    // The installation file Apivra.gif plays in the viewer.
    EXPECT_TRUE(d->viewer()->playing());
    EXPECT_EQ(d->viewer()->frameCount(), 50);
    EXPECT_TRUE(d->okButton()->isDefault());
    EXPECT_EQ(host.showAbout(), d);
    EXPECT_EQ(countTopLevel<AboutDialog>(), 1);

    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(key == Qt::Key_Escape ? "Escape" : "Enter");
        AboutDialog* about = host.showAbout();
        QTest::keyClick(about, key);
        flushDeletes();
        EXPECT_EQ(host.about(), nullptr) << "destroyed";
        EXPECT_EQ(countTopLevel<AboutDialog>(), 0);
    }
    EXPECT_NE(host.showAbout(), nullptr) << "the next showing builds it afresh";
    EXPECT_EQ(countTopLevel<AboutDialog>(), 1);
}

TEST_F(DialogWindows, AboutOpensWithoutItsAnimation) {
    DialogHost bare(owner, "/nonexistent/", nullptr);
    AboutDialog* d = bare.showAbout();
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->viewer()->playing());
}

TEST_F(DialogWindows, SaveDialogShowsTheFiltersAndAddsNoExtension) {
    const QStringList filters = QtNameFilters(kSaveFilter);
    EXPECT_EQ(filters, (QStringList{"All Files (*.*) (*)", "GIF Files (*.gif) (*.[gG][iI][fF])"}));

    const std::string chosen = (std::filesystem::temp_directory_path() / "pivra-save-dialog-spin").string();
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

}  // namespace
}  // namespace pivra
