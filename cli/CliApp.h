#pragma once

#include "app/Clock.h"
#include "app/Interruption.h"
#include "operations/Operations.h"
#include "cli/StopReport.h"
#include "platform/OpenFileLimit.h"
#include "platform/Resolve.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace varnadex {

struct CliEnvironment {
    std::string programPath; // the settings file lies beside it
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    std::function<std::unique_ptr<IOperations>(IMessageSink&, const MessageCatalogue&)>
        makeOperations;
    IClock& clock; // paces the firmware download's ticks
    // Set when the user asks the program to stop (a signal); the signal's number, for the
    // exit status.
    const Interruption* interruption = nullptr;
    std::function<int()> interruptSignal = [] { return 2; };
    // Why `out` failed, once it has: the system's words.
    std::function<std::string()> outputFailure = [] { return std::string("write error"); };
    // Host names to IPv4 addresses: the system's resolver, or a table of a test's own.
    std::function<std::vector<Ipv4Address>(const std::string&)> resolve = resolveIpv4;
    // Told which converters are being written, for an exit that a signal forces.
    StopReport* stopReport = nullptr;
    // --jobs as the open-file limit allows it.
    std::function<unsigned(unsigned)> fitJobs = fitJobsToOpenFileLimit;
};

enum CliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitDiffers = 3 };

// varnadex-cli: the window's operations for scripts and terminals. Returns the exit status.
int runCli(const std::vector<std::string>& args, CliEnvironment& env);

} // namespace varnadex
