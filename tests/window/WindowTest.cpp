// The real window and its dialogs on Qt's offscreen platform: from two
// pictures to a saved copy, the window on a screen too small for it and at
// small scales, the keyboard, a picture gone, the page colour, the scale
// dialog, the open and save dialogs, the viewer and the launch.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "dialogs/qt/LastFolders.h"
#include "dialogs/qt/PivraSettings.h"
#include "dialogs/qt/QtSaveDialog.h"
#include "imagelibs/GifBytes.h"
#include "support/FileContents.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/LaunchCheck.h"
#include "window/OpenFilter.h"
#include "window/qt/Form1Window.h"
#include "widgets/GifViewer.h"
#include "window/qt/PaneWidget.h"
#include "window/qt/QtNotifier.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
const QColor kHead(220, 30, 30), kTail(30, 60, 220);

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, kTail));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->form().Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TempFolder app{"window"};
    const std::string headPic = app / "head.png", tailPic = app / "tail.bmp";
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};

// Scale 50 is larger than the screen (offscreen: 800 by 800): the window keeps
// to the screen's available area, the layout keeps its numbers, and every
// control can be scrolled into view and clicked.
TEST_F(Window, LargerThanTheScreenTheWindowStaysOnItAndTheClientScrolls) {
    QScrollArea* scroller = window->scroller();
    EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
    EXPECT_EQ(scroller->viewport()->size(), QSize(400, 419)) << "at 16 the window is the layout";
    window->form().ScalePivra(50);
    QTest::qWait(20);
    const QRect area = window->screen()->availableGeometry();
    ASSERT_LT(area.height(), 1235) << "this screen has room for scale 50";
    EXPECT_TRUE(area.contains(window->frameGeometry())) << area.width() << "x" << area.height();
    EXPECT_EQ(window->client()->size(), QSize(1216, 1235));
    const QWidget* viewport = scroller->viewport();
    for (const Control c : {Control::Picture1, Control::Picture2, Control::Picture3, Control::Picture4,
                            Control::Gif89a1, Control::CreateBtn, Control::SaveBtn}) {
        QWidget* w = window->widget(c);
        for (const QPoint corner : {QPoint(0, 0), QPoint(w->width() - 1, w->height() - 1)}) {
            const QPoint at = w->mapTo(window->client(), corner);
            scroller->ensureVisible(at.x(), at.y(), 1, 1);
            EXPECT_TRUE(viewport->rect().contains(w->mapTo(viewport, corner))) << int(c) << " " << corner.x();
        }
    }
    scroller->ensureWidgetVisible(window->widget(Control::SaveBtn));
    QTest::mouseClick(window->widget(Control::SaveBtn), Qt::LeftButton);
    ASSERT_EQ(notifier.shown.size(), 1u) << "the click reached SAVE PIVRA";
    EXPECT_EQ(notifier.shown[0].prompt.substr(0, 29), "There is no Pivra to save yet");
    window->form().ScalePivra(16);
    EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
    EXPECT_EQ(scroller->viewport()->size(), QSize(400, 419)) << "back to the layout's size";
}

// At scales 1 and 4 the layout is narrower than the menu bar: the window takes
// the bar's width (File and Help whole, nothing folded away) and the layout,
// its numbers kept, sits centred in it.
TEST_F(Window, AtSmallScalesTheMenuShowsWholeAndTheLayoutSitsCentred) {
    QMenuBar* bar = window->menuBar();
    for (const int scale : {1, 4}) {
        SCOPED_TRACE(scale);
        window->form().ScalePivra(static_cast<int16_t>(scale));
        QTest::qWait(20);
        const MainLayoutNumbers m = MainLayout(static_cast<int16_t>(12 * scale));
        if (scale == 1) {
            ASSERT_LT(m.clientWidth, bar->sizeHint().width()) << "the layout alone is narrower than the menu";
        }
        EXPECT_GE(window->width(), bar->sizeHint().width());
        EXPECT_FALSE(bar->findChild<QToolButton*>("qt_menubar_ext_button")->isVisible()) << "menus folded into a >>";
        for (QAction* menu : bar->actions()) EXPECT_TRUE(bar->rect().contains(bar->actionGeometry(menu)));
        EXPECT_EQ(window->client()->size(), QSize(m.clientWidth, m.clientHeight));
        const int left = window->client()->mapTo(window.get(), QPoint(0, 0)).x();
        EXPECT_LE(std::abs(2 * left + m.clientWidth - window->width()), 1) << "centred: " << left;
        const Control panes[] = {Control::Picture1, Control::Picture2, Control::Picture3, Control::Picture4};
        for (size_t k = 0; k < 4; ++k) {
            const Box& b = m.panes[k];
            EXPECT_EQ(window->widget(panes[k])->geometry(), QRect(b.left, b.top, b.width, b.height)) << k;
        }
        const Box& c = m.createButton;
        EXPECT_EQ(window->widget(Control::CreateBtn)->geometry(), QRect(c.left, c.top, c.width, c.height));
    }
}

// A chosen picture gone when the scale or the crop changes: one message
// naming it, and its pane empty (black), not the old face under the hint.
TEST_F(Window, AVanishedPictureGivesOneMessageAndAnEmptyPane) {
    const auto centre = [&] {
        const QImage pane = window->pane(Pane::Picture1)->grab().toImage();
        return pane.pixelColor(pane.width() / 2, pane.height() / 2);
    };
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"scale", [&] { window->form().ScalePivra(4); }}, {"crop", [&] { window->cropAction()->trigger(); }}};
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        window->form().ChooseHead(headPic);
        window->form().ChooseTail(tailPic);
        ASSERT_TRUE(CloseColour(centre().rgb(), kHead, 16));
        fs::remove(headPic);
        notifier.shown.clear();
        change();
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_EQ(notifier.shown[0].prompt, "The head picture is no longer there:\n" + headPic);
        EXPECT_EQ(window->form().state().HeadFile, "");
        EXPECT_EQ(centre().rgb(), qRgb(0, 0, 0));
        EXPECT_FALSE(window->timer().isActive());
    }
}

// The result pane shows the animation over the page colour, the menu item
// shows that colour, and its dialog opens on it and offers "None (white)".
TEST_F(Window, ThePageColourShowsInTheResultPaneAndItsDialogOffersNone) {
    const QColor dark(0x0d, 0x11, 0x17);
    const auto shown = [&] {
        const QColor viewer = window->viewer()->grab().toImage().pixelColor(2, 2);
        const QColor swatch = window->pageColourAction()->icon().pixmap(16, 16).toImage().pixelColor(8, 8);
        EXPECT_EQ(viewer, swatch);
        return viewer;
    };
    EXPECT_EQ(shown(), QColor(Qt::white)) << "none chosen yet";
    window->form().setPageColour("#0d1117");
    EXPECT_EQ(shown(), dark);
    QColor openedOn;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        openedOn = dialog->currentColor();
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == "None (white)") b->click();
        if (dialog->isVisible()) dialog->reject();
    });
    window->pageColourAction()->trigger();
    EXPECT_EQ(openedOn, dark);
    EXPECT_EQ(window->form().pageColour(), "#ffffff");
    EXPECT_EQ(shown(), QColor(Qt::white));
}

// Tab goes through the panes and the two buttons, each showing the focus;
// Space and Enter open or press; the File menu chooses both pictures and
// quits, every item with a mnemonic; every control has an accessible name.
TEST_F(Window, TheKeyboardReachesEveryControl) {
    int opened = 0;
    window->setOpenFileChooser([&](const std::string&, int) { return std::optional(++opened == 1 ? headPic : tailPic); });
    QWidget* order[] = {window->pane(Pane::Picture1), window->pane(Pane::Picture2), window->pane(Pane::Picture3),
                        window->widget(Control::CreateBtn), window->widget(Control::SaveBtn)};
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    order[4]->setFocus();
    for (QWidget* w : order) {
        const QImage before = w->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w) << w->accessibleName().toStdString();
        EXPECT_NE(w->grab().toImage(), before) << "the focus shows: " << w->accessibleName().toStdString();
        EXPECT_FALSE(w->accessibleName().isEmpty());
    }
    QTest::keyClick(order[0], Qt::Key_Space);
    QTest::keyClick(order[1], Qt::Key_Return);
    EXPECT_EQ(window->form().state().HeadFile, headPic);
    EXPECT_EQ(window->form().state().TailFile, tailPic);
    QTest::keyClick(order[4], Qt::Key_Enter);
    ASSERT_EQ(notifier.shown.size(), 1u) << "Enter pressed SAVE PIVRA";
    QTest::keyClick(order[3], Qt::Key_Space);
    EXPECT_TRUE(window->form().state().BuildRequested);
    for (QWidget* w : {window->widget(Control::Gif89a1), window->widget(Control::ProgressBar1)})
        EXPECT_FALSE(w->accessibleName().isEmpty());

    QStringList items;
    for (QAction* menu : window->menuBar()->actions())
        for (QAction* a : menu->menu()->actions()) {
            if (a->isSeparator()) continue;
            items << QString(a->text()).remove('&') + " " + a->shortcut().toString();
            EXPECT_TRUE(a->text().contains('&')) << a->text().toStdString();
        }
    EXPECT_EQ(items, (QStringList{"Choose Head Picture\u2026 Ctrl+H", "Choose Tail Picture\u2026 Ctrl+T",
                                  "Scale a Pivra ", "Crop Pictures to a Square ", "Create a Pivra Ctrl+N",
                                  "Save the Pivra Ctrl+S", "Export for\u2026 ", "Look ", "Page Colour\u2026 ", "Quit Ctrl+Q", "Manual ",
                                  "What Else PIVRA Can Do ", "About "}));
    window->chooseTailAction()->trigger();
    EXPECT_EQ(opened, 3);
    window->whatElseAction()->trigger();
    const QString text = window->dialogs().whatElse()->textLabel()->text();
    for (const char* option : {"Crop Pictures to a Square", "Look", "Page Colour", "WebP", "PNG", "pivra-make"})
        EXPECT_TRUE(text.contains(option)) << option;
}

// CREATE PIVRA: the tick builds, the viewer plays the new file under the old name and
// the preview goes on; then the label and the menu item each save a byte-equal copy.
TEST_F(Window, FromTwoPicturesToASavedCopy) {
    int saves = 0;
    window->setSaveFileChooser([&](const SaveDialogRequest&) { return app / (++saves == 1 ? "by label" : "by menu"); });
    std::ofstream(app / "by menu") << "an older file of the user's, written over";
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

// OK applies the text only when it is a whole scale from 1 to 50, typed
// keystroke by keystroke ("51" first moves the scroll bar to 5); otherwise it
// says what a scale is and stays open for another try.
TEST_F(Window, ScaleDialogOkAppliesOnlyAWholeScaleFromOneToFifty) {
    struct Case { const char* typed; int applied; };  // 0: refused
    const Case cases[] = {{"51", 0}, {"0", 0},   {"abc", 0},   {"12.5", 0},  {"-7", 0},
                          {"5e0", 0}, {"+7", 7}, {"5 0", 50}, {"13.5", 14}, {"9", 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        window->scaleAction()->trigger();
        ScaleDialog* d = window->dialogs().scaleDialog();
        const int before = window->form().i_size();
        d->textBox()->selectAll();
        QTest::keyClicks(d->textBox(), c.typed);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_EQ(d->isVisible(), c.applied == 0);
        EXPECT_EQ(window->form().i_size(), c.applied ? 12 * c.applied : before);
        ASSERT_EQ(notifier.shown.size(), c.applied ? 0u : 1u);
        for (const ShownMessage& m : notifier.shown) EXPECT_EQ(m.prompt, "A scale is a whole number from 1 to 50.");
        notifier.shown.clear();
    }
}

// Its label shows whole, in the dialog's font and in a larger one: the text's
// width and height in its font fit the label, and the label fits the dialog.
TEST_F(Window, ScaleDialogLabelShowsWholeInItsFontAndALargerOne) {
    window->scaleAction()->trigger();
    ScaleDialog* d = window->dialogs().scaleDialog();
    auto* label = d->findChild<QLabel*>("Label1");
    for (const double points : {0.0, 12.0, 16.0}) {
        SCOPED_TRACE(points);
        if (points > 0) {
            QFont larger = d->font();
            larger.setPointSizeF(points);
            d->setFont(larger);
        }
        const QFontMetrics metrics(label->font());
        const QRect text = metrics.boundingRect(label->text());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width());
        EXPECT_LE(text.width(), label->contentsRect().width());
        EXPECT_LE(metrics.height(), label->contentsRect().height());
        for (QWidget* w : d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(d->rect().contains(w->geometry())) << w->objectName().toStdString();
        EXPECT_LE(QFontMetrics(d->textBox()->font()).height(), d->textBox()->height());
    }
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
    EXPECT_EQ(shown, (QStringList{"All Files (*.*)", "GIF Files (*.gif)", "Animated WebP (*.webp)", "Animated PNG (*.png)",
                               "WebM Video (*.webm)"}));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(nameAtOpen, "");
    EXPECT_EQ(answer, chosen);
    EXPECT_EQ(request.filterIndex, 3) << "the entry the user left selected";
    QString startedIn;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        startedIn = dialog->directory().absolutePath();
        dialog->close();
    });
    SaveDialogRequest cancelled{"", kSaveFilter, kSaveFilterIndex};
    EXPECT_EQ(dialog.AskSaveFileName(cancelled), "") << "cancel";
    EXPECT_EQ(startedIn.toStdString(), app.str()) << "where it saved last";
}

// Cropping, the page colour and the look are kept for the next start; when the settings
// file cannot be written, the user is told that the choice will not last.
TEST_F(Window, CropPageColourAndLookSurviveARestartOrSayTheyCannot) {
    const auto restart = [&] {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->form().Form_Load();
    };
    const auto settingsIn = [](const QString& folder) {
        for (QSettings::Format f : {QSettings::NativeFormat, QSettings::IniFormat}) QSettings::setPath(f, QSettings::UserScope, folder);
    };
    std::ofstream(app / "afile") << "in the way of a settings folder";
    struct Choice { const char* what; std::function<void()> make; std::function<bool()> kept; };
    const Choice choices[] = {
        {"crop", [&] { window->cropAction()->trigger(); },
         [&] { return window->form().cropToSquare() && window->cropAction()->isChecked(); }},
        {"page colour", [&] {
             QTimer::singleShot(0, [] {
                 auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
                 ASSERT_NE(dialog, nullptr);
                 dialog->setCurrentColor(QColor(0x10, 0x20, 0x30));
                 dialog->accept();
             });
             window->pageColourAction()->trigger();
         },
         [&] { return window->form().pageColour() == "#102030"; }},
        {"look", [&] { (window->form().look() == LookKind::Coin ? window->flatLookAction() : window->coinLookAction())->trigger(); },
         [&] { return window->form().look() == LookKind::Coin && window->coinLookAction()->isChecked(); }},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(c.what);
        notifier.shown.clear();
        c.make();
        restart();
        EXPECT_TRUE(c.kept());
        settingsIn(QString::fromStdString(app / "afile/config"));
        c.make();
        settingsIn(qEnvironmentVariable("XDG_CONFIG_HOME"));
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_NE(notifier.shown[0].prompt.find("afile/config/PIVRA/pivra.conf"), std::string::npos) << notifier.shown[0].prompt;
    }
    PivraSettings().clear();
}

// Crop Pictures to a Square changes the crop alone: the look in use stays,
// whatever the settings file says (one that could not be written keeps
// the look the last start read).
TEST_F(Window, CropLeavesTheLookInUse) {
    PivraSettings().setValue(QStringLiteral("look"), QStringLiteral("flat"));
    window->form().mnu_Look_Click(LookKind::Coin);
    window->cropAction()->trigger();
    EXPECT_EQ(window->form().look(), LookKind::Coin);
    PivraSettings().clear();
}

// Each dialog starts in the folder a file was last chosen in with it, kept in
// the settings file the next run reads; a folder since removed is forgotten.
TEST(LastFolders, TheOpenDialogStartsWhereAPictureWasLastChosenAndKeepsItsFilters) {
    TempFolder dir{"folders"};
    const std::string pictures = dir / "pictures", out = dir / "out";
    fs::create_directories(pictures);
    fs::create_directories(out);
    RememberFolder(FolderUse::OpenPicture, QString::fromStdString(pictures + "/head.jpg"));
    RememberFolder(FolderUse::SaveAnimation, QString::fromStdString(out + "/spin"));
    EXPECT_EQ(LastFolder(FolderUse::OpenPicture).toStdString(), pictures);
    EXPECT_EQ(LastFolder(FolderUse::SaveAnimation).toStdString(), out);
    const QSettings file(qEnvironmentVariable("XDG_CONFIG_HOME") + "/PIVRA/pivra.conf", QSettings::IniFormat);
    EXPECT_EQ(file.value("LastFolders/open").toString().toStdString(), pictures);

    const std::string tail = out + "/tail.bmp";
    ASSERT_TRUE(WriteSolidPicture(tail, 8, 8, kTail));
    QStringList shown;
    int current = -1;
    QString startedIn;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        current = types->currentIndex();
        startedIn = dialog->directory().absolutePath();
        dialog->selectFile(QString::fromStdString(tail));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(ShowOpenFileDialog(nullptr, kPictureFilter, kPictureFilterIndex), tail);
    EXPECT_EQ(startedIn.toStdString(), pictures);
    EXPECT_EQ(shown, (QStringList{"All Files (*.*)", "Image Files (*.jpg;*.bmp;*.jpg)", "Jpeg Files (*.jpg)",
                                  "Bitmap Files (*.bmp)", "GIF Files (*.gif)"}));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(LastFolder(FolderUse::OpenPicture).toStdString(), out);
    fs::remove_all(out);
    EXPECT_TRUE(LastFolder(FolderUse::OpenPicture).isEmpty());
}

// A launch the window cannot start with is a message box with the reason.
TEST(PivraProgram, LaunchProblemIsShownInAMessageBox) {
    QtNotifier notifier;
    ScopedNotifier scope(notifier);
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    TellLaunchProblem("unknown option '--scael'", true);
    EXPECT_EQ(title, "PIVRA");
    // The box's font is proportional: the usage comes without columns.
    EXPECT_EQ(text.toStdString(), LaunchProblemBoxText("unknown option '--scael'"));
    EXPECT_TRUE(text.startsWith("pivra: unknown option '--scael'\n"));
    EXPECT_FALSE(text.contains("  ")) << text.toStdString();
    EXPECT_TRUE(text.contains("\n--scale N: face size 12 x N pixels")) << text.toStdString();
}

// Qt's own options reach Qt; the program's own are still checked.
TEST(PivraProgram, QtsOwnOptionsWorkAndOursAreStillChecked) {
    struct Case { std::vector<std::string> args; int exit; const char* says; };
    const Case cases[] = {{{"-style", "Fusion", "--version"}, 0, "pivra "},
                          {{"-platform", "offscreen", "-reverse", "--help"}, 0, "usage: pivra"},
                          {{"-style", "Fusion", "--scale", "99"}, 2, "pivra: --scale must be"}};
    for (const Case& c : cases) {
        std::vector<std::string> argv{std::string(PIVRA_BIN_DIR) + "/pivra"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProcessResult r = RunProcess(argv, {"QT_QPA_PLATFORM=offscreen"});
        EXPECT_EQ(r.exitCode, c.exit) << c.args[0] << r.err;
        EXPECT_NE((c.exit ? r.err : r.out).find(c.says), std::string::npos) << r.out << r.err;
    }
}

// The menu entry offers PIVRA for every kind the picture dialog lists.
TEST(DesktopEntry, ListsEveryKindThePictureDialogOpens) {
    std::ifstream in(PIVRA_DESKTOP_ENTRY);
    std::string line, types;
    while (std::getline(in, line))
        if (line.rfind("MimeType=", 0) == 0) types = line.substr(9);
    const QStringList listed = QString::fromStdString(types).split(';', Qt::SkipEmptyParts);
    const QMimeDatabase db;
    const std::vector<FilterEntry> entries = ParseDialogFilter(kPictureFilter);
    for (const std::string& pattern : entries.at(1).patterns) {
        const QMimeType kind = db.mimeTypeForFile(QString::fromStdString("a" + pattern.substr(1)), QMimeDatabase::MatchExtension);
        EXPECT_TRUE(listed.contains(kind.name())) << pattern << " is " << kind.name().toStdString();
    }
}

// An animation built at another scale shows whole: shrunk when larger than the
// viewer (aspect kept), at its own size when smaller, centred either way. Each
// file under the same name is read afresh, and a bad one shows nothing.
TEST(GifViewer, ShowsTheWholeAnimationCentredAndNeverLargerThanItsViewer) {
    // Top left, top right, bottom left, bottom right.
    const QColor quadrant[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    struct Case { int w, h; QRect shown; };
    const Case cases[] = {{192, 192, {0, 0, 96, 96}}, {192, 96, {0, 24, 96, 48}}, {48, 48, {24, 24, 48, 48}}};
    TempFolder dir{"viewer"};
    const std::string path = dir / "quadrants.gif";
    GifViewer viewer;
    viewer.resize(96, 96);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        GifLayout l{c.w, c.h, 0, 0, c.w, c.h, {}, {0xff0000, 0x00ff00, 0x0000ff, 0xffff00}};
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) l.indices.push_back(std::uint8_t((x >= c.w / 2) + 2 * (y >= c.h / 2)));
        std::ofstream(path, std::ios::binary | std::ios::trunc) << GifFileBytes(l);
        viewer.setFile(path);
        ASSERT_TRUE(viewer.playing());
        EXPECT_EQ(viewer.currentFrame().size(), QSize(c.w, c.h));
        const QImage shot = viewer.grab().toImage();
        const QRect r = c.shown;
        for (int q = 0; q < 4; ++q) {
            const QPoint centre(r.left() + r.width() * (1 + 2 * (q % 2)) / 4,
                                r.top() + r.height() * (1 + 2 * (q / 2)) / 4);
            EXPECT_TRUE(CloseColour(shot.pixel(centre), quadrant[q], 8)) << "quadrant " << q;
        }
        const QPoint outside[] = {r.topLeft() - QPoint(0, 2), r.topLeft() - QPoint(2, 0),
                                  r.bottomRight() + QPoint(2, 2)};
        for (const QPoint p : outside) {
            if (!shot.rect().contains(p)) continue;
            for (const QColor& colour : quadrant) EXPECT_FALSE(CloseColour(shot.pixel(p), colour, 60));
        }
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "GIF89a but nothing after";
    viewer.setFile(path);
    EXPECT_FALSE(viewer.playing());
    EXPECT_TRUE(viewer.currentFrame().isNull());
}

}  // namespace
}  // namespace pivra::test
