#pragma once

#include "snmp/ScanTargets.h"

#include <string>
#include <vector>

namespace varnadex::test {

// Name resolution for tests: dotted addresses and "localhost" only. Every other name is
// unknown without a question to the system's resolver, so no test sends a lookup off this
// machine. "no-such-host.test" is such a name.
inline std::vector<Ipv4Address> loopbackResolver(const std::string& name) {
    if (name == "localhost") return {0x7F000001};
    if (auto address = parseIpv4Address(name)) return {*address};
    return {};
}

} // namespace varnadex::test
