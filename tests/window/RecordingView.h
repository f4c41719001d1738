#pragma once
// A window stand-in for the form: remembers what the form set, answers the
// open dialog from a queue, and lets a test act during the build's yields.
#include <deque>
#include <functional>
#include <map>

#include "surface/PaneCanvas.h"
#include "window/FormView.h"

namespace pivra::test {

class RecordingView : public FormView {
public:
    struct Geometry { int left = 0, top = 0, width = 0, height = 0; };

    void setClientSize(int w, int h) override { client = {w, h}; }
    bool minimized() const override { return isMinimized; }
    void setFontSize(Control c, int points) override { fonts[c] = points; }
    void setSize(Control c, int w, int h) override { geometry[c].width = w, geometry[c].height = h; }
    void move(Control c, int left, int top) override { geometry[c].left = left, geometry[c].top = top; }
    void setHintShown(int label, bool shown) override { hints[label - 1] = shown; }
    bool hintShown(int label) const override { return hints[label - 1]; }
    void setTimerEnabled(bool on) override {
        if (on && building && building()) ++timerEnabledDuringBuild;
        timer = on;
    }
    bool timerEnabled() const override { return timer; }
    void setTimerInterval(int ms) override { interval = ms; }
    void setViewerFile(const std::string& path) override { viewerFiles.push_back(path); }
    std::optional<std::string> chooseOpenFile(const std::string& filter, int index) override {
        dialogs.emplace_back(filter, index);
        std::optional<std::string> a;
        if (!answers.empty()) a = answers.front(), answers.pop_front();
        return a;
    }
    PaneCanvas& canvas(Pane p) override { return canvases[static_cast<size_t>(p)]; }
    void showScaleDialog() override {}
    void showManual() override {}
    void showAbout() override {}
    void showProgress() override {}
    std::string AskSaveFileName(const SaveDialogRequest&) override { return ""; }
    void closeWindow() override { ++closes; }
    void setCreateCaption(const std::string& c) override { captions.push_back(c); }
    void setProgress(int v) override { progressValue = v; }
    int progress() const override { return progressValue; }
    void yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }

    std::pair<int, int> client{};
    bool isMinimized = false, timer = false, hints[3] = {true, true, true};
    std::map<Control, int> fonts;
    std::map<Control, Geometry> geometry;
    std::vector<std::string> viewerFiles, captions;
    std::vector<std::pair<std::string, int>> dialogs;
    std::deque<std::optional<std::string>> answers;  // nullopt: cancelled
    PaneCanvas canvases[3];
    int interval = 0, closes = 0, progressValue = 0, yields = 0, timerEnabledDuringBuild = 0;
    std::function<void(int)> onYield;
    std::function<bool()> building;  // set by the test to the form's
};

}  // namespace pivra::test
