// The console's stop events, in place of the POSIX signals, with the statuses a shell gives a
// program that a signal stopped: Ctrl-C and Ctrl-Break 130 (SIGINT), closing the console 129
// (SIGHUP), logging off and shutting down 143 (SIGTERM).

#include "cli/Signals.h"

#include <csignal>
#include <cstdlib>

#include <windows.h>

namespace varnadex {
namespace {

constexpr int kSigHup = 1;
constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

// The handler runs on a thread of the system's own; it reaches the program only through these.
Interruption* gInterruption = nullptr;
volatile std::sig_atomic_t gSignal = 0;

// After a close, log-off or shutdown event the system ends the process once the handler
// returns, or after about five seconds. The handler waits a little below that, so that the
// exchange in flight finishes and the program ends by its own path with its own status.
constexpr DWORD kCloseGrace = 4500;

int signalFor(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return kSigInt;
    case CTRL_CLOSE_EVENT:
        return kSigHup;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return kSigTerm;
    default:
        return 0;
    }
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    const int signal = signalFor(event);
    if (signal == 0) return FALSE;
    // A second request ends the program at once, as a second signal does on POSIX.
    if (gSignal != 0) ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + gSignal));
    gSignal = signal;
    if (gInterruption) gInterruption->request();
    if (signal != kSigInt) {
        ::Sleep(kCloseGrace);
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + signal));
    }
    return TRUE;
}

} // namespace

void stopOnSignals(Interruption& interruption) {
    gInterruption = &interruption;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

int stopSignal() {
    return gSignal;
}

} // namespace varnadex
