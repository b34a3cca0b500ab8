#pragma once

#include "operations/ConverterJobs.h"
#include "cli/CliApp.h"

#include <optional>
#include <string>
#include <vector>

namespace varnadex {

// What the command line asks of every converter.
struct CommandRequest {
    JobKind kind = JobKind::Read;
    // The file's configuration (or the defaults) with the run's access settings.
    ConverterConfig base;
    std::vector<FieldAssignment> assignments; // set only
};

// The command on every converter of a CSV list (--hosts): one JSON line each on standard
// output, a summary on standard error. The whole list is checked before anything is sent.
int runBatchCommand(const CommandRequest& request, const std::string& hostsFile, unsigned jobs,
                    const MessageCatalogue& catalogue, CliEnvironment& env);

// The file's or the list's values refused before anything is sent: why, or nothing.
std::optional<std::string> refusedBeforeSending(const CommandRequest& request,
                                                const ConverterConfig& target,
                                                const MessageCatalogue& catalogue);

} // namespace varnadex
