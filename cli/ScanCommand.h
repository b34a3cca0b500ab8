#pragma once

#include "cli/CliApp.h"
#include "snmp/ProbeSocket.h"
#include "snmp/ScanTargets.h"
#include "snmp/SnmpSocket.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnadex {

struct ScanRequest {
    std::vector<std::string> targets; // addresses, CIDR ranges, host names, @FILE
    std::uint16_t snmpPort = kSnmpPort;
    std::string community = "kelvin";
    unsigned rate = 1000;        // datagrams a second
    bool all = false;            // also the addresses where no converter answered
    std::string format = "json"; // json: one line per address; text: a table
};

// varnadex-cli scan: finds the converters among the targets. 0 when the scan ran (whether or
// not it found any), 2 for bad targets or options, 1 when no socket could be had, 128 + N
// when signal N stopped it.
int runScan(const ScanRequest& request, const MessageCatalogue& catalogue, CliEnvironment& env);
// The same over a given socket and name and file sources.
int runScan(const ScanRequest& request, const MessageCatalogue& catalogue, CliEnvironment& env,
            IProbeSocket& socket, const TargetSources& sources);

} // namespace varnadex
