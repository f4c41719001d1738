#pragma once
// Build controls that remember everything the build did to them.
#include <functional>
#include <string>
#include <vector>

#include "builder/BuildControls.h"

namespace pivra::test {

struct RecordingControls : BuildControls {
    bool hintVisible() const override { return false; }
    void disablePreviewTimer() override { ++timerDisables; }
    void setCreateCaption(const std::string& c) override { captions.push_back(c); }
    void showProgress() override {}
    void setProgress(int v) override { progressValues.push_back(value = v); }
    int progress() const override { return value; }
    void yield() override { if (++yields, onYield) onYield(); }
    bool stopRequested() const override { return ++stopQuestions, stopWhen && stopWhen(); }

    int value = 0, timerDisables = 0, yields = 0;
    mutable int stopQuestions = 0;
    std::vector<std::string> captions;
    std::vector<int> progressValues;
    std::function<void()> onYield;
    std::function<bool()> stopWhen;
};

}  // namespace pivra::test
