#include "cli/Signals.h"

#include <csignal>
#include <ctime>

#include <unistd.h>

namespace varnadex {
namespace {

// A signal handler reaches the program only through globals; these are all it touches.
Interruption* gInterruption = nullptr;
const StopReport* gReport = nullptr;
volatile std::sig_atomic_t gSignal = 0;
// When the first signal came, in milliseconds of the monotonic clock.
volatile long long gFirstAt = 0;

// Two copies of one signal this close together are one request.
constexpr long long kSameRequestMs = 1000;

long long monotonicMs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t); // async-signal-safe
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

extern "C" void onStopSignal(int signal) {
    // Only async-signal-safe calls here: atomic stores, clock_gettime, write and _exit.
    const long long now = monotonicMs();
    if (gSignal == 0) {
        gSignal = signal;
        gFirstAt = now;
        if (gInterruption) gInterruption->request();
        if (gReport) gReport->writeNote(STDERR_FILENO);
        return;
    }
    if (signal == gSignal && now - gFirstAt < kSameRequestMs) return;
    if (gReport) gReport->writeForced(STDERR_FILENO);
    ::_exit(128 + signal);
}

} // namespace

void stopOnSignals(Interruption& interruption, const StopReport& report) {
    gInterruption = &interruption;
    gReport = &report;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // While one stop signal is handled the others wait, so the handler never runs twice at
    // once. No SA_RESTART: a wait on a FIFO or a port returns, and the program looks at the
    // request.
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, s);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(s, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

int stopSignal() {
    return gSignal;
}

} // namespace varnadex
