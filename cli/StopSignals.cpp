#include "StopSignals.h"

#include <initializer_list>

namespace pivra {
namespace {

volatile sig_atomic_t caught = 0;

void OnStopSignal(int signal) {
    if (caught == 0) caught = signal;
}

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
    return set;
}

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_mask = StopSet();
    action.sa_flags = SA_RESTART;  // the image libraries' reads and writes go on
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);
}

int StopSignal() { return caught; }

StopSignalsHeld::StopSignalsHeld() {
    const sigset_t set = StopSet();
    sigprocmask(SIG_BLOCK, &set, &previous_);
}

StopSignalsHeld::~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace pivra
