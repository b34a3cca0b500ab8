#pragma once

#include "cli/CliApp.h"
#include "operations/ConverterJobs.h"

#include <string>

namespace varnadex {

// The request on every converter of a CSV list (--hosts): one JSON line each on standard
// output, a summary on standard error. The whole list is checked before anything is sent.
int runBatchCommand(const JobRequest& request, const std::string& hostsFile, unsigned jobs,
                    const MessageCatalogue& catalogue, CliEnvironment& env);

} // namespace varnadex
