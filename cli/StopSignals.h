#pragma once
// Interrupts of a pivra-make run. SIGINT, SIGTERM and SIGHUP only set a flag
// (all a handler may safely do); the build asks it after every command and
// leaves through its ordinary way out, cleaning up as it goes.
#include <signal.h>

namespace pivra {

// Installs the handlers, and ignores SIGPIPE so that a closed pipe shows up
// as a failed write instead of killing the run on the spot.
void CatchStopSignals();

// The first stop signal caught, 0 while none was.
int StopSignal();

// Holds the stop signals back while it lives, for a step that must not be
// cut in two; one that arrived meanwhile is caught when it ends.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace pivra
