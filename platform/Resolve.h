#pragma once

#include "snmp/ScanTargets.h"

#include <functional>
#include <string>
#include <vector>

namespace varnadex {

// The IPv4 addresses of a host name or dotted address, through the system's resolver, each
// once and in the resolver's order; none when it is unknown.
std::vector<Ipv4Address> resolveIpv4(const std::string& name);

using Resolver = std::function<std::vector<Ipv4Address>(const std::string& name)>;

} // namespace varnadex
