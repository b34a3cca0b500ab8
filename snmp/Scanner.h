#pragma once

#include "app/Clock.h"
#include "app/Interruption.h"
#include "config/Fields.h"
#include "snmp/ProbeSocket.h"
#include "snmp/ScanTargets.h"
#include "snmp/SnmpSocket.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace varnadex {

enum class ScanStatus {
    Converter,     // answered the version object
    NoAnswer,      // nothing came back within the attempt schedule
    Refused,       // ICMP port unreachable: the host is up, nothing listens on the port
    NotAConverter, // an SNMP agent answered, without the converter's version object
};

// What a scan learnt of one address.
struct ScanFinding {
    Ipv4Address address = 0;
    ScanStatus status = ScanStatus::NoAnswer;
    std::string firmware; // "2.5", for a converter
    // For a converter, each field a scan reads (those marked Scanned, in their order), with its
    // text when all its registers were read.
    std::vector<std::pair<const Field*, std::optional<std::string>>> values;

    std::optional<std::string> value(std::string_view field) const;
};

// The highest rate taken: far beyond what a network of converters needs, and a bound on what
// a typo can unleash.
constexpr unsigned kMaxScanRate = 1000000;

struct ScanSettings {
    std::uint16_t port = kSnmpPort;
    std::string community = "kelvin"; // already in the converter's code page
    unsigned rate = 1000;             // datagrams sent per second, retries included

    // Why a scan cannot run with these: a community that no request can carry, port 0, a
    // rate of 0 or beyond kMaxScanRate.
    std::optional<Problem> problem() const;
};

// The settings a user gives (the community as typed, in UTF-8) made ready for a scan, or why
// they cannot be: the one check that the CLI and the window share.
std::variant<ScanSettings, Problem>
makeScanSettings(std::uint16_t port, const std::string& community, unsigned rate = 1000);

enum class ScanEnd { Finished, Interrupted, SocketFailed, BadSettings };

// Asks many addresses at once for the converter's firmware version, then reads the network
// fields of each converter that answered, all through one socket at a bounded rate.
//
// Every request an address is sent follows the AttemptSchedule, as CSnmpSocket's do: an attempt
// that has no answer when its window ends is followed by the next one, with a fresh id, and
// an answer to any attempt of the same request counts. An address has at most one request
// outstanding; its register reads follow one another. Retries and register reads go before
// first probes, so every address keeps its schedule and the scan ends one schedule after the
// last first probe.
class Scanner {
public:
    Scanner(IProbeSocket& socket, IClock& clock, ScanSettings settings,
            const Interruption* stop = nullptr)
        : Scanner(socket, clock, std::move(settings),
                  [stop] { return stop && stop->requested(); }) {}
    // `stopping` is asked between two rounds of sends and answers.
    Scanner(IProbeSocket& socket, IClock& clock, ScanSettings settings,
            std::function<bool()> stopping)
        : socket_(socket), clock_(clock), settings_(std::move(settings)),
          stopping_(std::move(stopping)) {}

    // `found` hears of each address as soon as it is settled, in no particular order. On an
    // interruption the addresses still open are not reported. Settings that fail their own
    // check send nothing: BadSettings.
    ScanEnd run(const std::vector<Ipv4Address>& addresses,
                const std::function<void(const ScanFinding&)>& found);

private:
    IProbeSocket& socket_;
    IClock& clock_;
    ScanSettings settings_;
    std::function<bool()> stopping_;
};

// Paces sends: `rate` tokens a second, with room for a hundredth of a second's worth, so that
// a clock counting whole milliseconds can still reach the rate.
class TokenBucket {
public:
    TokenBucket(unsigned rate, Millis now);
    bool take(Millis now);
    // How long until the next token, at least 1 ms.
    Millis untilNext() const;

private:
    double rate_;
    double capacity_;
    double tokens_;
    Millis last_;
};

} // namespace varnadex
