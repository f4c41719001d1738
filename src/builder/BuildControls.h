#pragma once
// The few controls the build touches, so that it runs the same under the
// window, the command-line builder and the tests.
#include <string>

namespace pivra {

class BuildControls {
public:
    virtual ~BuildControls() = default;
    // The hint shown while a picture is missing.
    virtual bool hintVisible() const = 0;
    virtual void disablePreviewTimer() = 0;
    // Sets the create button's caption and repaints it at once.
    virtual void setCreateCaption(const std::string& caption) = 0;
    // Enables the progress bar and makes it visible.
    virtual void showProgress() = 0;
    virtual void setProgress(int value) = 0;  // 0 to 150
    virtual int progress() const = 0;
    // Lets the window handle its pending events.
    virtual void yield() = 0;
    // Asked after every command and every yield: true ends the build there.
    // "Images" and "Masks" are removed; "Work/pivra.gif" is left as it was.
    virtual bool stopRequested() const { return false; }
};

}  // namespace pivra
