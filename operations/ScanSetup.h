#pragma once

#include "app/Clock.h"
#include "app/MessageCatalogue.h"
#include "snmp/ScanTargets.h"
#include "snmp/Scanner.h"

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace varnadex {

// A scan made ready: settings that the scanner takes and the addresses to ask.
struct PreparedScan {
    ScanSettings settings;
    std::vector<Ipv4Address> addresses;
};

// The user's scan (targets as typed, the agents' port, the community as typed in UTF-8, the
// rate) checked as the scanner checks it, and its targets expanded; or why it cannot run.
std::variant<PreparedScan, Problem> prepareScan(const std::vector<std::string>& targets,
                                                std::uint16_t port, const std::string& community,
                                                unsigned rate, const TargetSources& sources);

// Runs a prepared scan over this system's probe socket. `stopping` is asked between rounds;
// `found` hears of each address once it is settled.
ScanEnd runScanHere(const PreparedScan& scan, IClock& clock, std::function<bool()> stopping,
                    const std::function<void(const ScanFinding&)>& found);

} // namespace varnadex
