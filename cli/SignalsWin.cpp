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
const StopReport* gReport = nullptr;
volatile std::sig_atomic_t gSignal = 0;
volatile ULONGLONG gFirstAt = 0;

// Two copies of one request this close together are one request.
constexpr ULONGLONG kSameRequestMs = 1000;

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
    const ULONGLONG now = ::GetTickCount64();
    if (gSignal != 0) {
        // The same request again at once is the same request; a later one, or another kind,
        // ends the program at once, as on POSIX.
        if (signal == gSignal && now - gFirstAt < kSameRequestMs) return TRUE;
        if (gReport) gReport->writeForced(2);
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + signal));
    }
    gSignal = signal;
    gFirstAt = now;
    if (gInterruption) gInterruption->request();
    if (gReport) gReport->writeNote(2);
    if (signal != kSigInt) {
        ::Sleep(kCloseGrace);
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + signal));
    }
    return TRUE;
}

} // namespace

void stopOnSignals(Interruption& interruption, const StopReport& report) {
    gInterruption = &interruption;
    gReport = &report;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

int stopSignal() {
    return gSignal;
}

} // namespace varnadex
