#include "operations/ScanSetup.h"

#include "platform/SystemDevices.h"

namespace varnadex {

std::variant<PreparedScan, Problem> prepareScan(const std::vector<std::string>& targets,
                                                std::uint16_t port, const std::string& community,
                                                unsigned rate, const TargetSources& sources) {
    auto settings = makeScanSettings(port, community, rate);
    if (auto* problem = std::get_if<Problem>(&settings)) return *problem;
    TargetList list = expandTargets(targets, sources);
    if (!list.ok()) return *list.problem;
    return PreparedScan{std::get<ScanSettings>(std::move(settings)), std::move(list.addresses)};
}

ScanEnd runScanHere(const PreparedScan& scan, IClock& clock, std::function<bool()> stopping,
                    const std::function<void(const ScanFinding&)>& found) {
    SystemProbeSocket socket;
    Scanner scanner(socket, clock, scan.settings, std::move(stopping));
    return scanner.run(scan.addresses, found);
}

} // namespace varnadex
