#pragma once
// Catches the messages the code under test would show the user.
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace pivra::test {

struct ShownMessage { std::string prompt; int style; std::string title; };

class RecordingNotifier : public Notifier {
public:
    RecordingNotifier() : scope_(*this) {}
    void show(const std::string& prompt, int style, const std::string& title) override {
        shown.push_back({prompt, style, title});
    }
    std::vector<ShownMessage> shown;

private:
    ScopedNotifier scope_;
};

}  // namespace pivra::test
