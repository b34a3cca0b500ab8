#include "cli/ScanCommand.h"

#include "operations/ScanSetup.h"
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
    std::string line =
        "{\"host\": \"" + formatIpv4Address(f.address) + "\", \"port\": " + std::to_string(port);
    if (f.status != ScanStatus::Converter)
        return line + ", \"status\": \"" + statusName(f.status) + "\"}\n";
    line += ", \"firmware\": \"" + f.firmware + "\"";
    for (const auto& [field, value] : f.values)
        line += std::string(", \"") + field->name + "\": " + jsonText(value);
    return line + "}\n";
}

// The table's columns of the scanned fields: a MAC address is 12 characters and stands apart,
// an IPv4 address at most 15.
std::string scannedCells(const ScanFinding& f, bool heading) {
    std::string cells;
    for (const Field& field : fields()) {
        if (!uses(field, Scanned)) continue;
        std::string cell = heading ? field.scanHeading : f.value(field.name).value_or("-");
        const bool mac = field.kind == AccessorKind::Mac;
        cell.resize(std::max<std::size_t>(cell.size(), mac ? 12 : 15), ' ');
        cells += cell + (mac ? "  " : " ");
    }
    return cells;
}

std::string textRow(const ScanFinding& f, std::uint16_t port) {
    const bool converter = f.status == ScanStatus::Converter;
    char row[64];
    std::snprintf(row, sizeof row, "%-15s %5u  %-8s ", formatIpv4Address(f.address).c_str(),
                  unsigned(port), converter ? f.firmware.c_str() : "-");
    return row + scannedCells(f, false) + statusName(f.status) + "\n";
}

} // namespace

int runScan(const ScanRequest& request, const MessageCatalogue& catalogue, CliEnvironment& env) {
    SystemProbeSocket socket;
    TargetSources sources = systemTargetSources();
    sources.resolve = env.resolve;
    return runScan(request, catalogue, env, socket, sources);
}

int runScan(const ScanRequest& request, const MessageCatalogue& catalogue, CliEnvironment& env,
            IProbeSocket& socket, const TargetSources& sources) {
    const auto say = [&](const std::string& text) {
        env.err << "varnadex-cli: scan: " << text << "\n";
    };
    const auto usage = [&](const std::string& text) {
        say(text);
        return kExitUsage;
    };
    if (request.format != "json" && request.format != "text")
        return usage("--format takes json or text");
    const auto prepared =
        prepareScan(request.targets, request.snmpPort, request.community, request.rate, sources);
    if (const auto* problem = std::get_if<Problem>(&prepared))
        return usage(catalogue.say(*problem));
    const PreparedScan& scan = std::get<PreparedScan>(prepared);

    // A reader gone ends the scan as Ctrl-C would: no output, no point in asking on.
    Interruption outputLost;
    const bool json = request.format == "json";
    std::vector<ScanFinding> kept;
    std::size_t converters = 0;
    const auto found = [&](const ScanFinding& f) {
        const bool converter = f.status == ScanStatus::Converter;
        if (converter) ++converters;
        if (!converter && !request.all) return;
        // JSON lines go out as they come, so that a long scan can be followed and piped.
        if (json) {
            if (!outputLost.requested() &&
                !(env.out << jsonLine(f, request.snmpPort) << std::flush))
                outputLost.request();
        } else {
            kept.push_back(f);
        }
    };

    Scanner scanner(socket, env.clock, scan.settings, [&] {
        return outputLost.requested() || (env.interruption && env.interruption->requested());
    });
    const Millis started = env.clock.now();
    const ScanEnd end = scanner.run(scan.addresses, found);
    const double seconds = static_cast<double>((env.clock.now() - started).count()) / 1000.0;
    if (end == ScanEnd::SocketFailed) {
        say(catalogue.extra(ExtraMsg::ScanSocketFailed));
        return kExitFailed;
    }
    const auto lost = [&] {
        env.err << "varnadex-cli: " << catalogue.extra(ExtraMsg::OutputLost, env.outputFailure())
                << "\n";
        return kExitFailed;
    };
    if (outputLost.requested()) return lost();
    if (!json) {
        std::sort(kept.begin(), kept.end(),
                  [](const auto& a, const auto& b) { return a.address < b.address; });
        char head[64];
        std::snprintf(head, sizeof head, "%-15s %5s  %-8s ", "HOST", "PORT", "FIRMWARE");
        env.out << head << scannedCells({}, true) << "STATUS\n";
        for (const auto& f : kept)
            env.out << textRow(f, request.snmpPort);
        char summary[120];
        std::snprintf(summary, sizeof summary, "%zu converters in %zu addresses, %.1f s\n",
                      converters, scan.addresses.size(), seconds);
        if (!(env.out << summary << std::flush)) return lost();
    }
    if (end == ScanEnd::Interrupted) {
        say(catalogue.extra(ExtraMsg::ScanStopped));
        return 128 + env.interruptSignal();
    }
    return kExitOk;
}

} // namespace varnadex
