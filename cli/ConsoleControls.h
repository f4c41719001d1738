#pragma once
// The build's controls on a terminal: progress as a one-line bar on standard
// error, everything else a no-op.
#include "builder/BuildControls.h"

namespace pivra {

class ConsoleControls : public BuildControls {
public:
    explicit ConsoleControls(bool showBar) : showBar_(showBar) {}
    bool hintVisible() const override { return false; }
    void disablePreviewTimer() override {}
    void setCreateCaption(const std::string&) override {}
    void showProgress() override {}
    void setProgress(int value) override;
    int progress() const override { return value_; }
    void yield() override {}
    // Ends the bar's line, if one was drawn.
    void endBar();

private:
    bool showBar_;
    bool drawn_ = false;
    int value_ = 0;
};

}  // namespace pivra
