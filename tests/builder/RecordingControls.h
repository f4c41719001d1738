#pragma once
// Build controls that remember everything the build did to them.
#include <functional>
#include <string>
#include <vector>

#include "builder/BuildControls.h"

namespace pivra::test {

class RecordingControls : public BuildControls {
public:
    bool hintVisible() const override { return hint; }
    void disablePreviewTimer() override { ++timerDisables; }
    void setCreateCaption(const std::string& c) override { captions.push_back(c); }
    void showProgress() override { ++progressShown; }
    void setProgress(int v) override { progressValues.push_back(v); value = v; }
    int progress() const override { return value; }
    void yield() override {
        ++yields;
        if (onYield) onYield();
    }
    bool stopRequested() const override {
        ++stopQuestions;
        return stopWhen && stopWhen();
    }

    bool hint = false;
    int value = 0;
    int timerDisables = 0, progressShown = 0, yields = 0;
    std::vector<std::string> captions;
    std::vector<int> progressValues;
    std::function<void()> onYield;
    std::function<bool()> stopWhen;
    mutable int stopQuestions = 0;
};

}  // namespace pivra::test
