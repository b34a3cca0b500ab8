#pragma once

#include "app/Clock.h"
#include "app/Operations.h"

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
};

enum CliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// varnadex-cli: the window's operations for scripts and terminals. Returns the exit status.
int runCli(const std::vector<std::string>& args, CliEnvironment& env);

} // namespace varnadex
