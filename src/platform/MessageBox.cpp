#include "MessageBox.h"

#include <cstdio>

namespace pivra {
namespace {

class StderrNotifier : public Notifier {
public:
    void show(const std::string& prompt, int, const std::string& title) override {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
    }
};

StderrNotifier stderrNotifier;
Notifier* current = &stderrNotifier;

}  // namespace

void MessageBox(const std::string& prompt, int style, const std::string& title) {
    current->show(prompt, style, title);
}

ScopedNotifier::ScopedNotifier(Notifier& n) : previous_(current) { current = &n; }
ScopedNotifier::~ScopedNotifier() { current = previous_; }

}  // namespace pivra
