#include "cli/ScanCommand.h"

#include "config/CodePage.h"
#include "platform/SystemDevices.h"
#include "snmp/Scanner.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace varnadex {
namespace {

const char* statusName(ScanStatus status) {
    switch (status) {
    case ScanStatus::Converter:
        return "converter";
    case ScanStatus::NoAnswer:
        return "no-answer";
    case ScanStatus::Refused:
        return "refused";
    case ScanStatus::NotAConverter:
        return "not-a-converter";
    }
    return "no-answer";
}

// Every value is an address, a version or hex digits, so nothing needs escaping.
std::string jsonText(const std::optional<std::string>& value) {
    return value ? "\"" + *value + "\"" : "null";
}

std::string jsonLine(const ScanFinding& f, std::uint16_t port) {
    std::string line = "{\"host\": \"" + formatIpv4Address(f.address) +
                       "\", \"port\": " + std::to_string(port);
    if (f.status != ScanStatus::Converter)
        return line + ", \"status\": \"" + statusName(f.status) + "\"}\n";
    return line + ", \"firmware\": \"" + f.firmware + "\", \"macAddress\": " +
           jsonText(f.macAddress) + ", \"ipAddress\": " + jsonText(f.ipAddress) +
           ", \"subnetMask\": " + jsonText(f.subnetMask) +
           ", \"gatewayAddress\": " + jsonText(f.gatewayAddress) + "}\n";
}

std::string textRow(const ScanFinding& f, std::uint16_t port) {
    const auto cell = [](const std::optional<std::string>& v) { return v ? *v : "-"; };
    const bool converter = f.status == ScanStatus::Converter;
    char row[160];
    std::snprintf(row, sizeof row, "%-15s %5u  %-8s %-12s  %-15s %-15s %-15s %s\n",
                  formatIpv4Address(f.address).c_str(), unsigned(port),
                  converter ? f.firmware.c_str() : "-", cell(f.macAddress).c_str(),
                  cell(f.ipAddress).c_str(), cell(f.subnetMask).c_str(),
                  cell(f.gatewayAddress).c_str(), statusName(f.status));
    return row;
}

} // namespace

int runScan(const ScanRequest& request, CliEnvironment& env) {
    SystemProbeSocket socket;
    return runScan(request, env, socket, systemTargetSources());
}

int runScan(const ScanRequest& request, CliEnvironment& env, IProbeSocket& socket,
            const TargetSources& sources) {
    const auto usage = [&](const std::string& text) {
        env.err << "varnadex-cli: scan: " << text << "\n";
        return kExitUsage;
    };
    if (request.format != "json" && request.format != "text")
        return usage("--format takes json or text");
    if (request.rate == 0 || request.rate > kMaxScanRate)
        return usage("--rate takes 1 to " + std::to_string(kMaxScanRate) + " a second");
    if (request.snmpPort == 0) return usage("--snmp-port takes 1 to 65535");
    if (request.targets.empty()) return usage("no target given");
    // The converter compares the community's bytes in its own code page.
    const auto community = toConverterText(request.community);
    if (!community) return usage("the community has characters the converter cannot hold");
    if (community->size() > kMaxSnmpCommunity)
        return usage("the community is longer than " + std::to_string(kMaxSnmpCommunity) +
                     " bytes");
    const TargetList targets = expandTargets(request.targets, sources);
    if (!targets.ok()) return usage(targets.error);

    const bool json = request.format == "json";
    std::vector<ScanFinding> kept;
    std::size_t converters = 0;
    const auto found = [&](const ScanFinding& f) {
        const bool converter = f.status == ScanStatus::Converter;
        if (converter) ++converters;
        if (!converter && !request.all) return;
        // JSON lines go out as they come, so that a long scan can be followed and piped.
        if (json) {
            env.out << jsonLine(f, request.snmpPort) << std::flush;
        } else {
            kept.push_back(f);
        }
    };

    Scanner scanner(socket, env.clock, {request.snmpPort, *community, request.rate},
                    env.interruption);
    const Millis started = env.clock.now();
    const ScanEnd end = scanner.run(targets.addresses, found);
    const double seconds = static_cast<double>((env.clock.now() - started).count()) / 1000.0;
    if (end == ScanEnd::SocketFailed) {
        env.err << "varnadex-cli: scan: the UDP socket failed\n";
        return kExitFailed;
    }
    if (!json) {
        std::sort(kept.begin(), kept.end(),
                  [](const auto& a, const auto& b) { return a.address < b.address; });
        char head[160];
        std::snprintf(head, sizeof head, "%-15s %5s  %-8s %-12s  %-15s %-15s %-15s %s\n", "HOST",
                      "PORT", "FIRMWARE", "MAC", "IP", "MASK", "GATEWAY", "STATUS");
        env.out << head;
        for (const auto& f : kept)
            env.out << textRow(f, request.snmpPort);
        char summary[120];
        std::snprintf(summary, sizeof summary, "%zu converters in %zu addresses, %.1f s\n",
                      converters, targets.addresses.size(), seconds);
        env.out << summary << std::flush;
    }
    if (end == ScanEnd::Interrupted) {
        env.err << "varnadex-cli: scan: stopped; addresses still being asked are not listed\n";
        return 128 + env.interruptSignal();
    }
    return kExitOk;
}

} // namespace varnadex
