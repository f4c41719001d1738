#pragma once
// What the main window's form needs of its window: the controls it shows,
// sizes and reads, the timer, the viewer and the file chooser. The Qt window
// implements it; the tests use a recording stand-in.
#include <optional>
#include <string>

#include "builder/BuildControls.h"
#include "dialogs/ExportFor.h"
#include "dialogs/SavePivra.h"
#include "window/MainLayout.h"

namespace pivra {

class PaneCanvas;

enum class Control {
    Picture1, Picture2, Picture3, Picture4,  // head, tail, preview, result frame
    Label1, Label2, Label3,                  // the hints inside panes 1 to 3
    Gif89a1, CreateBtn, SaveBtn, ProgressBar1,
};

// The three panes that show a canvas.
enum class Pane { Picture1, Picture2, Picture3 };

// SaveDialog: the save dialog, answered through the window.
class FormView : public BuildControls, public SaveDialog {
public:
    // Size of the area below the menu bar.
    virtual void setClientSize(int width, int height) = 0;
    virtual bool minimized() const = 0;

    virtual void setFontSize(Control c, int points) = 0;
    // Hint labels are placed in their pane's coordinates, the rest in the client area.
    virtual void setSize(Control c, int width, int height) = 0;
    virtual void move(Control c, int left, int top) = 0;

    virtual void setHintShown(int label, bool shown) = 0;  // label 1 to 3
    virtual bool hintShown(int label) const = 0;

    virtual void setTimerEnabled(bool on) = 0;  // enabling a running timer keeps its phase
    virtual bool timerEnabled() const = 0;
    virtual void setTimerInterval(int ms) = 0;

    // Loads and plays that GIF from its first frame, afresh even for the same path.
    virtual void setViewerFile(const std::string& path) = 0;

    // The open dialog on this filter and entry (from 1); nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile(const std::string& filter, int filterIndex) = 0;

    virtual PaneCanvas& canvas(Pane p) = 0;

    // The modeless dialogs, one copy of each.
    virtual void showScaleDialog() = 0;
    virtual void showManual() = 0;
    virtual void showAbout() = 0;
    // Help, "What Else PIVRA Can Do": the options beyond the Manual.
    virtual void showWhatElse() = 0;

    // File, "Export for…": the dialog on choices, which it changes as the
    // user does; false when cancelled. A choice exported is remembered for the next run.
    virtual bool chooseExport(ExportChoices& choices) = 0;

    // Closes the window once a stopped build has returned.
    virtual void closeWindow() = 0;

    // The colour dialog opened on current ("#rrggbb"): the chosen colour, or
    // nothing when cancelled. The choice is remembered for the next run.
    virtual std::optional<std::string> choosePageColour(const std::string& current) = 0;
    // The page colour ("#rrggbb", white for none) behind the result and on
    // the menu item, so the user sees the animation as the page will.
    virtual void showPageColour(const std::string& colour) = 0;

    // BuildControls: the build's guard reads the preview hint.
    bool hintVisible() const override { return hintShown(3); }
    void disablePreviewTimer() override { setTimerEnabled(false); }
};

}  // namespace pivra
