#pragma once
// The build's controls on a terminal: progress as a one-line bar on standard
// error; the build stops on a stop signal or when the trace cannot be written.
#include "builder/BuildControls.h"

namespace pivra {

class TraceStream;

class ConsoleControls : public BuildControls {
public:
    // trace: the stream the trace goes to, or nullptr without a trace.
    ConsoleControls(bool showBar, const TraceStream* trace) : showBar_(showBar), trace_(trace) {}
    bool hintVisible() const override { return false; }
    void disablePreviewTimer() override {}
    void setCreateCaption(const std::string&) override {}
    void showProgress() override {}
    void setProgress(int value) override;
    int progress() const override { return value_; }
    void yield() override {}
    bool stopRequested() const override;
    // Ends the bar's line, if one was drawn.
    void endBar();

private:
    bool showBar_;
    const TraceStream* trace_;
    bool drawn_ = false;
    int value_ = 0;
};

}  // namespace pivra
