#pragma once
// A window stand-in for the form: remembers what the form set, answers the
// open dialog from a queue, and lets a test act during the build's yields.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "surface/PaneCanvas.h"
#include "window/FormView.h"

namespace pivra::test {

class RecordingView : public FormView {
public:
    struct Geometry {
        int left = 0, top = 0, width = 0, height = 0;
    };

    void setClientSize(int w, int h) override { client = {w, h}; }
    bool minimized() const override { return isMinimized; }
    void setFontSize(Control c, int points) override { fonts[c] = points; }
    void setSize(Control c, int w, int h) override {
        geometry[c].width = w;
        geometry[c].height = h;
    }
    void move(Control c, int left, int top) override {
        geometry[c].left = left;
        geometry[c].top = top;
    }
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
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> a = answers.front();
        answers.pop_front();
        return a;
    }
    PaneCanvas& canvas(Pane p) override { return canvases[static_cast<size_t>(p)]; }
    void showScaleDialog() override { shownDialogs.push_back("scale"); }
    void showManual() override { shownDialogs.push_back("manual"); }
    void showAbout() override { shownDialogs.push_back("about"); }
    std::string AskSaveFileName(const SaveDialogRequest& r) override {
        saveRequests.push_back(r);
        return saveAnswer;
    }
    void closeWindow() override { ++closes; }

    void setCreateCaption(const std::string& c) override { captions.push_back(c); }
    void showProgress() override { progressShown = true; }
    void setProgress(int v) override { progressValue = v; }
    int progress() const override { return progressValue; }
    void yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }

    std::pair<int, int> client{};
    bool isMinimized = false;
    std::map<Control, int> fonts;
    std::map<Control, Geometry> geometry;
    bool hints[3] = {true, true, true};
    bool timer = false;
    int interval = 0;
    std::vector<std::string> viewerFiles;
    std::vector<std::pair<std::string, int>> dialogs;
    std::deque<std::optional<std::string>> answers;  // nullopt: cancelled
    PaneCanvas canvases[3];
    int closes = 0;
    std::vector<std::string> shownDialogs;
    std::vector<SaveDialogRequest> saveRequests;
    std::string saveAnswer;  // empty: cancelled
    std::vector<std::string> captions;
    bool progressShown = false;
    int progressValue = 0;
    int yields = 0;
    std::function<void(int)> onYield;
    std::function<bool()> building;  // set by the test to the form's
    int timerEnabledDuringBuild = 0;
};

}  // namespace pivra::test
