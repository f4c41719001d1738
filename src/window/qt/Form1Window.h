#pragma once
// The main window "PIVRA MAKER PRO": the widgets of the form, showing its
// state and forwarding every event to it. No logic of its own lives here.
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dialogs/qt/DialogHost.h"
#include "window/Form1.h"
#include "window/FormView.h"

class QAction;
class QProgressBar;
class QScrollArea;

namespace pivra {

class ClickLabel;
class GifViewer;
class PaneWidget;

class Form1Window : public QMainWindow, public FormView {
public:
    explicit Form1Window(FormFolders folders);
    ~Form1Window() override;

    Form1& form() { return *form_; }

    // Answers the open dialog; by default a file dialog of ours. Tests replace it.
    using OpenFileChooser = std::function<std::optional<std::string>(const std::string& filter, int index)>;
    void setOpenFileChooser(OpenFileChooser chooser) { chooser_ = std::move(chooser); }
    // Answers the save dialog (empty: cancelled); by default Qt's file dialog. Tests replace it.
    using SaveFileChooser = std::function<std::string(SaveDialogRequest&)>;
    void setSaveFileChooser(SaveFileChooser chooser) { saveChooser_ = std::move(chooser); }
    DialogHost& dialogs() { return *dialogs_; }

    // The widgets, for the tests and for the dialogs still to be wired in.
    PaneWidget* pane(Pane p) const { return panes_[static_cast<size_t>(p)]; }
    QWidget* widget(Control c) const;
    GifViewer* viewer() const { return viewer_; }
    // The area the layout places its controls in; it scrolls when the window
    // cannot be as large as the layout on this screen.
    QWidget* client() const { return client_; }
    QScrollArea* scroller() const { return scroller_; }
    QTimer& timer() { return timer_; }
    QAction* scaleAction() const { return scaleAct_; }
    QAction* cropAction() const { return cropAct_; }
    QAction* createAction() const { return createAct_; }
    QAction* saveAction() const { return saveAct_; }
    QAction* exportAction() const { return exportAct_; }
    QAction* manualAction() const { return manualAct_; }
    QAction* aboutAction() const { return aboutAct_; }
    QAction* pageColourAction() const { return pageColourAct_; }
    QAction* chooseHeadAction() const { return chooseHeadAct_; }
    QAction* chooseTailAction() const { return chooseTailAct_; }
    QAction* quitAction() const { return quitAct_; }
    QAction* whatElseAction() const { return whatElseAct_; }
    QAction* flatLookAction() const { return flatLookAct_; }
    QAction* coinLookAction() const { return coinLookAct_; }

    // FormView
    void setClientSize(int width, int height) override;
    bool minimized() const override { return isMinimized(); }
    void setFontSize(Control c, int points) override;
    void setSize(Control c, int width, int height) override;
    void move(Control c, int left, int top) override;
    void setHintShown(int label, bool shown) override;
    bool hintShown(int label) const override;
    void setTimerEnabled(bool on) override;
    bool timerEnabled() const override { return timer_.isActive(); }
    void setTimerInterval(int ms) override { timer_.setInterval(ms); }
    void setViewerFile(const std::string& path) override;
    std::optional<std::string> chooseOpenFile(const std::string& filter, int filterIndex) override;
    PaneCanvas& canvas(Pane p) override;
    void showScaleDialog() override { dialogs_->showScale(); }
    void showManual() override { dialogs_->showManual(); }
    void showAbout() override { dialogs_->showAbout(); }
    void showWhatElse() override { dialogs_->showWhatElse(); }
    void showPageColour(const std::string& colour) override;
    std::string AskSaveFileName(SaveDialogRequest& request) override { return saveChooser_(request); }
    std::optional<std::string> choosePageColour(const std::string& current) override;
    bool chooseExport(ExportChoices& choices) override;
    void closeWindow() override { close(); }
    // BuildControls
    void setCreateCaption(const std::string& caption) override;
    void showProgress() override;
    void setProgress(int value) override;
    int progress() const override;
    void yield() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    void makeMenus();
    void makeControls();
    void fitToScreen();
    void chooseLook(LookKind look);
    void restoreExportChoices();

    QScrollArea* scroller_ = nullptr;
    QWidget* client_ = nullptr;
    QSize fittedFrame_;
    bool followsScreen_ = false;
    QMetaObject::Connection screenArea_;
    std::array<PaneWidget*, 3> panes_{};
    QWidget* resultFrame_ = nullptr;
    std::array<ClickLabel*, 3> hints_{};
    std::array<bool, 3> hintShown_{};
    GifViewer* viewer_ = nullptr;
    ClickLabel* createBtn_ = nullptr;
    ClickLabel* saveBtn_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QAction *scaleAct_ = nullptr, *createAct_ = nullptr, *saveAct_ = nullptr, *manualAct_ = nullptr,
            *aboutAct_ = nullptr, *cropAct_ = nullptr, *pageColourAct_ = nullptr, *chooseHeadAct_ = nullptr,
            *chooseTailAct_ = nullptr, *quitAct_ = nullptr, *whatElseAct_ = nullptr, *flatLookAct_ = nullptr,
            *coinLookAct_ = nullptr, *exportAct_ = nullptr;
    QTimer timer_;
    OpenFileChooser chooser_;
    SaveFileChooser saveChooser_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<DialogHost> dialogs_;
};

// The colour dialog of ours, opened on current, with "None (white)" beside
// OK: the chosen colour as "#rrggbb", or nothing when cancelled.
std::optional<std::string> ShowPageColourDialog(QWidget* parent, const std::string& current);

// The open dialog of ours: the filter's entries with their own patterns,
// any case of the extension, opening on the given entry in the folder a
// picture was last chosen in.
std::optional<std::string> ShowOpenFileDialog(QWidget* parent, const std::string& filter, int filterIndex);

}  // namespace pivra
