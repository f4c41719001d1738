#include "window/qt/Form1Window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPainter>
#include <QPushButton>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>

#include <algorithm>

#include "dialogs/qt/ExportDialog.h"
#include "dialogs/qt/LastFolders.h"
#include "dialogs/qt/PivraSettings.h"
#include "dialogs/qt/QtSaveDialog.h"
#include "window/OpenFilter.h"
#include "window/qt/ClickLabel.h"
#include "widgets/GifViewer.h"
#include "window/qt/PaneWidget.h"

namespace pivra {

namespace {

const QColor kHintText(255, 255, 128), kButtonText(255, 255, 0), kButtonBack(0, 0, 192);
const QString kPageColourKey = QStringLiteral("pageColour"), kCropKey = QStringLiteral("cropToSquare"),
              kLookKey = QStringLiteral("look"), kCoinLook = QStringLiteral("coin"),
              kExportKey = QStringLiteral("exportFor"), kCustomKey = QStringLiteral("exportCustom/");

void Colour(QWidget* w, const QColor& text, const QColor& back) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Window, back);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

ClickLabel* MakeLabel(const char* caption, QWidget* parent, const QStringList& families, const QColor& text,
                      const QColor& back) {
    auto* label = new ClickLabel(QString::fromLatin1(caption), parent);
    QFont font;
    font.setFamilies(families);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    Colour(label, text, back);
    return label;
}

}  // namespace

Form1Window::Form1Window(FormFolders folders) {
    setWindowTitle(QStringLiteral("PIVRA MAKER PRO"));
    makeControls();
    makeMenus();
    timer_.setTimerType(Qt::PreciseTimer);
    form_ = std::make_unique<Form1>(*this, std::move(folders));
    form_->setCropToSquare(PivraSettings().value(kCropKey, false).toBool());
    cropAct_->setChecked(form_->cropToSquare());
    form_->setLook(PivraSettings().value(kLookKey).toString() == kCoinLook ? LookKind::Coin : LookKind::Flat);
    (form_->look() == LookKind::Coin ? coinLookAct_ : flatLookAct_)->setChecked(true);
    restoreExportChoices();
    dialogs_ = std::make_unique<DialogHost>(*form_, form_->installFolder(), this);
    saveChooser_ = [this](SaveDialogRequest& r) { return QtSaveDialog(this).AskSaveFileName(r); };
    form_->setPageColour(PivraSettings().value(kPageColourKey).toString().toStdString());
    connect(&timer_, &QTimer::timeout, this, [this] { form_->Timer1_Timer(); });
    chooser_ = [this](const std::string& filter, int index) { return ShowOpenFileDialog(this, filter, index); };

    panes_[0]->onClick = [this] { form_->Picture1_Click(); };
    panes_[1]->onClick = [this] { form_->Picture2_Click(); };
    panes_[2]->onClick = [this] { form_->Picture3_Click(); };
    hints_[0]->onClick = [this] { form_->Label1_Click(); };
    hints_[1]->onClick = [this] { form_->Label2_Click(); };
    hints_[2]->onClick = [this] { form_->Label3_Click(); };
    panes_[0]->onPaint = [this] { form_->Picture1_Paint(); };
    panes_[1]->onPaint = [this] { form_->Picture2_Paint(); };
    panes_[0]->onDrop = [this](const std::vector<std::string>& f) { form_->FilesDropped(Pane::Picture1, f); };
    panes_[1]->onDrop = [this](const std::vector<std::string>& f) { form_->FilesDropped(Pane::Picture2, f); };
    createBtn_->onClick = [this] { form_->CreateBtn_Click(); };
    saveBtn_->onClick = [this] { form_->SaveBtn_Click(); };
}

Form1Window::~Form1Window() {
    timer_.stop();
    // The panes call into the form while they exist.
    for (PaneWidget* p : panes_) p->onPaint = nullptr;
}

void Form1Window::makeControls() {
    scroller_ = new QScrollArea(this);
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setFocusPolicy(Qt::NoFocus);  // Tab goes round the panes and buttons only
    // Where the window is wider than the layout (its menu bar needs more at
    // small scales), the panes and buttons stay together, centred.
    scroller_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    client_ = new QWidget;
    scroller_->setWidget(client_);
    setCentralWidget(scroller_);
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    const QStringList narrow{QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                             QStringLiteral("DejaVu Sans Condensed")};
    const char* const hintCaptions[] = {"CLICK HERE TO LOAD HEAD IMAGE", "CLICK HERE TO LOAD TAIL IMAGE",
                                        "IMAGE BEFORE CREATING THE PIVRA"};
    for (size_t k = 0; k < 3; ++k) {
        panes_[k] = new PaneWidget(client_);
        hints_[k] = MakeLabel(hintCaptions[k], panes_[k], sans, kHintText, Qt::black);
        hintShown_[k] = true;
    }
    panes_[2]->setAcceptDrops(false);
    auto* frame = new QFrame(client_);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);
    resultFrame_ = frame;
    viewer_ = new GifViewer(client_);
    createBtn_ = MakeLabel("CREATE PIVRA", client_, narrow, kButtonText, kButtonBack);
    saveBtn_ = MakeLabel("SAVE PIVRA", client_, narrow, kButtonText, kButtonBack);
    progress_ = new QProgressBar(client_);
    progress_->setRange(0, 150);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->hide();

    // The keyboard reaches what the mouse does: Tab through the panes and the
    // two buttons, Space or Enter to open or press.
    const char* const paneNames[] = {"Head picture", "Tail picture", "Preview"};
    const char* const paneUses[] = {"Space or Enter chooses the head picture", "Space or Enter chooses the tail picture",
                                    "Space or Enter plays the last Pivra again"};
    for (size_t k = 0; k < 3; ++k) {
        panes_[k]->setAccessibleName(QString::fromLatin1(paneNames[k]));
        panes_[k]->setAccessibleDescription(QString::fromLatin1(paneUses[k]));
    }
    for (ClickLabel* button : {createBtn_, saveBtn_}) {
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAccessibleName(button->text());
    }
    // Where the buttons are too small to read, the pointer says what they are.
    createBtn_->setToolTip(QStringLiteral("CREATE PIVRA (Ctrl+N)"));
    saveBtn_->setToolTip(QStringLiteral("SAVE PIVRA (Ctrl+S)"));
    resultFrame_->setAccessibleName(QStringLiteral("Finished Pivra"));
    viewer_->setAccessibleName(QStringLiteral("Finished Pivra"));
    progress_->setAccessibleName(QStringLiteral("Build progress"));
    QWidget::setTabOrder(panes_[0], panes_[1]);
    QWidget::setTabOrder(panes_[1], panes_[2]);
    QWidget::setTabOrder(panes_[2], createBtn_);
    QWidget::setTabOrder(createBtn_, saveBtn_);
}

void Form1Window::makeMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    chooseHeadAct_ = file->addAction(QStringLiteral("Choose &Head Picture\u2026"));
    chooseTailAct_ = file->addAction(QStringLiteral("Choose &Tail Picture\u2026"));
    file->addSeparator();
    scaleAct_ = file->addAction(QStringLiteral("&Scale a Pivra"));
    cropAct_ = file->addAction(QStringLiteral("Cr&op Pictures to a Square"));
    cropAct_->setCheckable(true);
    createAct_ = file->addAction(QStringLiteral("&Create a Pivra"));
    saveAct_ = file->addAction(QStringLiteral("Sa&ve the Pivra"));
    exportAct_ = file->addAction(QStringLiteral("&Export for\u2026"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    manualAct_ = help->addAction(QStringLiteral("&Manual"));
    whatElseAct_ = help->addAction(QStringLiteral("&What Else PIVRA Can Do"));
    aboutAct_ = help->addAction(QStringLiteral("&About"));
    chooseHeadAct_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    chooseTailAct_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    createAct_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    saveAct_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(chooseHeadAct_, &QAction::triggered, this, [this] { form_->Picture1_Click(); });
    connect(chooseTailAct_, &QAction::triggered, this, [this] { form_->Picture2_Click(); });
    connect(whatElseAct_, &QAction::triggered, this, [this] { form_->mnu_WhatElse_Click(); });
    connect(scaleAct_, &QAction::triggered, this, [this] { form_->mnu_Scale_Click(); });
    connect(cropAct_, &QAction::triggered, this, [this] {
        form_->mnu_Crop_Click();
        cropAct_->setChecked(form_->cropToSquare());
        KeepForNextStart(kCropKey, form_->cropToSquare());
    });
    connect(createAct_, &QAction::triggered, this, [this] { form_->mnu_Create_Click(); });
    connect(saveAct_, &QAction::triggered, this, [this] { form_->mnu_Save_Click(); });
    connect(exportAct_, &QAction::triggered, this, [this] { form_->mnu_ExportFor_Click(); });
    connect(manualAct_, &QAction::triggered, this, [this] { form_->Mnu_Manual_Click(); });
    connect(aboutAct_, &QAction::triggered, this, [this] { form_->mn_about_Click(); });
    QMenu* look = file->addMenu(QStringLiteral("&Look"));
    auto* looks = new QActionGroup(look);  // one look at a time
    flatLookAct_ = looks->addAction(QStringLiteral("&Flat"));
    coinLookAct_ = looks->addAction(QStringLiteral("&Coin"));
    for (QAction* a : {flatLookAct_, coinLookAct_}) {
        a->setCheckable(true);
        look->addAction(a);
    }
    connect(flatLookAct_, &QAction::triggered, this, [this] { chooseLook(LookKind::Flat); });
    connect(coinLookAct_, &QAction::triggered, this, [this] { chooseLook(LookKind::Coin); });
    pageColourAct_ = file->addAction(QStringLiteral("&Page Colour\u2026"));
    connect(pageColourAct_, &QAction::triggered, this, [this] { form_->mnu_PageColour_Click(); });
    file->addSeparator();
    quitAct_ = file->addAction(QStringLiteral("&Quit"));
    quitAct_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAct_, &QAction::triggered, this, &QWidget::close);
}

void Form1Window::chooseLook(LookKind look) {
    form_->mnu_Look_Click(look);
    (form_->look() == LookKind::Coin ? coinLookAct_ : flatLookAct_)->setChecked(true);
    KeepForNextStart(kLookKey, form_->look() == LookKind::Coin ? kCoinLook : QStringLiteral("flat"));
}

QWidget* Form1Window::widget(Control c) const {
    switch (c) {
        case Control::Picture1: return panes_[0];
        case Control::Picture2: return panes_[1];
        case Control::Picture3: return panes_[2];
        case Control::Picture4: return resultFrame_;
        case Control::Label1: return hints_[0];
        case Control::Label2: return hints_[1];
        case Control::Label3: return hints_[2];
        case Control::Gif89a1: return viewer_;
        case Control::CreateBtn: return createBtn_;
        case Control::SaveBtn: return saveBtn_;
        case Control::ProgressBar1: return progress_;
    }
    return nullptr;
}

void Form1Window::setClientSize(int width, int height) {
    client_->setFixedSize(width, height);
    fitToScreen();
}

// The window is as large as the layout when the screen has room for it.
// Otherwise it takes the screen's available area (less its frame) and the
// client scrolls; the layout itself is never squeezed.
void Form1Window::fitToScreen() {
    // At small scales the layout is narrower than the menu bar: the window
    // takes the bar's width, so File and Help show whole.
    const QSize wanted(std::max(client_->width(), menuBar()->sizeHint().width()),
                       client_->height() + menuBar()->sizeHint().height());
    QScreen* shown = screen();
    if (!shown) {
        setFixedSize(wanted);
        return;
    }
    const QRect area = shown->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();  // known once the window manager framed it
    fittedFrame_ = frame;
    const QSize room = area.size() - frame;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller_);
    QSize size = wanted;
    // A scroll bar along one side takes room from the other.
    const bool down = size.height() > room.height();
    if (down) size.rwidth() += bar;
    if (size.width() > room.width()) {
        size.rheight() += bar;
        if (!down && size.height() > room.height()) size.rwidth() += bar;
    }
    size = size.boundedTo(room);
    setFixedSize(size);

    // Keep the whole frame on the screen, so the menu and the scroll bars can
    // be reached. Before the first showing the window manager places it.
    const QRect outer(frameGeometry().topLeft(), size + frame);
    if (isVisible() && !area.contains(outer)) {
        const int x = std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width());
        const int y = std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height());
        QWidget::move(x, y);
    }
}

void Form1Window::setFontSize(Control c, int points) {
    QWidget* w = widget(c);
    QFont font = w->font();
    font.setPointSize(points);
    w->setFont(font);
}

void Form1Window::setSize(Control c, int width, int height) { widget(c)->resize(width, height); }

void Form1Window::move(Control c, int left, int top) { widget(c)->move(left, top); }

void Form1Window::setHintShown(int label, bool shown) {
    const size_t k = static_cast<size_t>(label - 1);
    hintShown_[k] = shown;
    hints_[k]->setVisible(shown);
}

bool Form1Window::hintShown(int label) const { return hintShown_[static_cast<size_t>(label - 1)]; }

void Form1Window::setTimerEnabled(bool on) {
    if (!on)
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start();
}

void Form1Window::setViewerFile(const std::string& path) { viewer_->setFile(path); }

std::optional<std::string> Form1Window::chooseOpenFile(const std::string& filter, int filterIndex) {
    return chooser_(filter, filterIndex);
}

PaneCanvas& Form1Window::canvas(Pane p) { return panes_[static_cast<size_t>(p)]->canvas(); }

void Form1Window::setCreateCaption(const std::string& caption) {
    createBtn_->setText(QString::fromStdString(caption));
    createBtn_->repaint();
}

void Form1Window::showProgress() {
    progress_->setEnabled(true);
    progress_->show();
    progress_->raise();
}

void Form1Window::setProgress(int value) { progress_->setValue(value); }

int Form1Window::progress() const { return progress_->value(); }

void Form1Window::yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Form1Window::closeEvent(QCloseEvent* e) {
    if (!form_->QueryUnload()) {
        e->ignore();
        return;
    }
    form_->Form_Unload();
    e->accept();
}

void Form1Window::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!followsScreen_ && windowHandle()) {
        // Another screen, or a panel that takes room, refits the window.
        followsScreen_ = true;
        const auto follow = [this](QScreen* s) {
            disconnect(screenArea_);
            if (s) screenArea_ = connect(s, &QScreen::availableGeometryChanged, this, [this] { fitToScreen(); });
            fitToScreen();
        };
        connect(windowHandle(), &QWindow::screenChanged, this, follow);
        follow(screen());
        return;
    }
    fitToScreen();
}

void Form1Window::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    // The window manager's frame arrives after the first showing.
    if (frameGeometry().size() - size() != fittedFrame_) fitToScreen();
}

void Form1Window::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (form_) form_->Form_Resize();
}

// The page colour is remembered between runs; the form keeps it meanwhile.
std::optional<std::string> Form1Window::choosePageColour(const std::string& current) {
    const std::optional<std::string> hex = ShowPageColourDialog(this, current);
    if (hex) KeepForNextStart(kPageColourKey, QString::fromStdString(*hex));
    return hex;
}

// The last choice and the Custom values, as exported last.
void Form1Window::restoreExportChoices() {
    QSettings settings = PivraSettings();
    ExportChoices& choices = form_->exportChoices();
    choices.chooseByName(settings.value(kExportKey).toString().toStdString());
    CustomExport& custom = choices.custom;
    const auto text = [&](const char* key, std::string& value) {
        value = settings.value(kCustomKey + QLatin1String(key), QString::fromStdString(value)).toString().toStdString();
    };
    text("side", custom.side);
    text("frames", custom.frames);
    text("frameTime", custom.frameMs);
    text("mostBytes", custom.maxBytes);
    const QString format = settings.value(kCustomKey + QLatin1String("format")).toString();
    for (AnimationFormat f : ExportDialog::customFormats())
        if (format == QLatin1String(FormatName(f))) custom.format = f;
}

bool Form1Window::chooseExport(ExportChoices& choices) {
    ExportChoices edited = choices;  // a cancel keeps the last choice
    ExportDialog dialog(edited, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    choices = edited;
    {
        QSettings settings = PivraSettings();
        settings.setValue(kCustomKey + QLatin1String("side"), QString::fromStdString(choices.custom.side));
        settings.setValue(kCustomKey + QLatin1String("frames"), QString::fromStdString(choices.custom.frames));
        settings.setValue(kCustomKey + QLatin1String("frameTime"), QString::fromStdString(choices.custom.frameMs));
        settings.setValue(kCustomKey + QLatin1String("mostBytes"), QString::fromStdString(choices.custom.maxBytes));
        settings.setValue(kCustomKey + QLatin1String("format"), QLatin1String(FormatName(choices.custom.format)));
    }
    KeepForNextStart(kExportKey, QString::fromStdString(choices.chosenName()));  // written with the rest, told once
    return true;
}

void Form1Window::showPageColour(const std::string& colour) {
    const QColor page(QString::fromStdString(colour));
    // The viewer draws the animation over its own background; the frame's
    // inside shows around it.
    for (QWidget* w : {static_cast<QWidget*>(viewer_), resultFrame_}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, page);
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    }
    QPixmap swatch(16, 16);
    swatch.fill(page);
    QPainter(&swatch).drawRect(0, 0, 15, 15);
    pageColourAct_->setIcon(QIcon(swatch));
    pageColourAct_->setIconVisibleInMenu(true);
    pageColourAct_->setToolTip(QStringLiteral("Page colour now: ") + page.name());
}

std::optional<std::string> ShowPageColourDialog(QWidget* parent, const std::string& current) {
    QColorDialog dialog(QColor(QString::fromStdString(current)), parent);
    dialog.setWindowTitle(QStringLiteral("Page Colour"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    std::optional<std::string> chosen;
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* none = buttons->addButton(QStringLiteral("None (white)"), QDialogButtonBox::ResetRole);
        QObject::connect(none, &QPushButton::clicked, &dialog, [&] {
            chosen = "#ffffff";
            dialog.accept();
        });
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (!chosen) chosen = dialog.selectedColor().name(QColor::HexRgb).toStdString();
    return chosen;
}

std::optional<std::string> ShowOpenFileDialog(QWidget* parent, const std::string& filter, int filterIndex) {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList names;
    for (const FilterEntry& e : ParseDialogFilter(filter)) names << QString::fromStdString(DialogNameFilter(e));
    dialog.setNameFilters(names);
    if (filterIndex >= 1 && filterIndex <= names.size()) dialog.selectNameFilter(names[filterIndex - 1]);
    if (const QString last = LastFolder(FolderUse::OpenPicture); !last.isEmpty()) dialog.setDirectory(last);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    RememberFolder(FolderUse::OpenPicture, chosen);
    return chosen.toStdString();
}

}  // namespace pivra
