#pragma once
// Build controls that remember what the build showed on them.
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
    void yield() override { ++yields; }

    int value = 0, timerDisables = 0, yields = 0;
    std::vector<std::string> captions;
    std::vector<int> progressValues;
};

}  // namespace pivra::test
