#include "cli/Signals.h"

#include <csignal>

#include <unistd.h>

namespace varnadex {
namespace {

// A signal handler reaches the program only through globals; these two are all it touches.
Interruption* gInterruption = nullptr;
volatile std::sig_atomic_t gSignal = 0;

extern "C" void onStopSignal(int signal) {
    // Only async-signal-safe calls here: an atomic store, or _exit.
    if (gSignal != 0) ::_exit(128 + signal);
    gSignal = signal;
    if (gInterruption) gInterruption->request();
}

} // namespace

void stopOnSignals(Interruption& interruption) {
    gInterruption = &interruption;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(s, &action, nullptr);
}

int stopSignal() {
    return gSignal;
}

} // namespace varnadex
