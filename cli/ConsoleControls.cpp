#include "ConsoleControls.h"

#include <cstdio>

#include "StopSignals.h"
#include "TraceStream.h"

namespace pivra {

void ConsoleControls::setProgress(int value) {
    value_ = value;
    if (!showBar_ || value == 0) return;
    constexpr int kMax = 150, kWidth = 40;
    const int filled = value * kWidth / kMax;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = 0;
    std::fprintf(stderr, "\r[%s] %3d/%d", bar, value, kMax);
    std::fflush(stderr);
    drawn_ = true;
}

bool ConsoleControls::stopRequested() const {
    return StopSignal() != 0 || (trace_ != nullptr && trace_->error() != 0);
}

void ConsoleControls::endBar() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
}

}  // namespace pivra
