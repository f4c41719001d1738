#pragma once
// Swallows the readers' message boxes while fuzzing.
#include "platform/MessageBox.h"

namespace pivra::fuzz {

class SilentNotifier : public Notifier {
public:
    void show(const std::string&, int, const std::string&) override {}
};

}  // namespace pivra::fuzz
