#pragma once

#include "app/MessageCatalogue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnadex {

// An IPv4 address as a number, most significant byte first (127.1.0.1 is 0x7F010001).
using Ipv4Address = std::uint32_t;

std::string formatIpv4Address(Ipv4Address address);
std::optional<Ipv4Address> parseIpv4Address(const std::string& text);

// A range wider than this is refused: a /16 is already 65536 probes, and a wider one is far
// more often a typo than a wish.
constexpr int kWidestScanPrefix = 16;

// Where names and files come from, so that expansion itself does no I/O.
struct TargetSources {
    // The IPv4 addresses of a host name; none when it is unknown.
    std::function<std::vector<Ipv4Address>(const std::string& name)> resolve;
    // A file's text, or nothing with why not in `error` (the system's words).
    std::function<std::optional<std::string>(const std::string& path, std::string& error)> readFile;
};

struct TargetList {
    std::vector<Ipv4Address> addresses; // in the order given, each once
    std::optional<Problem> problem;     // the first target that could not be used, and why
    bool ok() const { return !problem; }
};

// Each target is an IPv4 address, a CIDR range (10.1.0.0/22; host bits are ignored), a host
// name, or @FILE with one target per line (blank lines and text after '#' are ignored).
TargetList expandTargets(const std::vector<std::string>& targets, const TargetSources& sources);

} // namespace varnadex
