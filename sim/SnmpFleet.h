#pragma once

#include "sim/RegisterMemory.h"
#include "sim/SimLog.h"
#include "sim/SnmpAgent.h"
#include "sim/SnmpFaults.h"
#include "snmp/ScanTargets.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace varnadex::sim {

// Many converters in one process: SNMP agents on addresses `stride` apart, all on one port.
// Each has its own memory, holding its own address in the IP registers and a MAC address of
// its own: 00-50-C2 followed by the address's last three bytes.
class SnmpFleet {
public:
    SnmpFleet(SimLog& log, SnmpFaults faults = {}) : log_(log), faults_(std::move(faults)) {}

    // Port 0 takes a port free on every address. False, with no agent left running, when an
    // address cannot be had.
    bool start(Ipv4Address first, std::uint16_t port, int count, std::uint32_t stride = 1);
    void stop();

    std::uint16_t port() const { return port_; }
    std::size_t size() const { return agents_.size(); }
    Ipv4Address address(std::size_t i) const { return addresses_[i]; }
    RegisterMemory& memory(std::size_t i) { return *memories_[i]; }
    void setVersion(std::uint8_t major, std::uint8_t minor);

private:
    bool startOn(Ipv4Address first, std::uint16_t port, int count, std::uint32_t stride);

    SimLog& log_;
    SnmpFaults faults_;
    std::uint16_t port_ = 0;
    std::vector<Ipv4Address> addresses_;
    std::vector<std::unique_ptr<RegisterMemory>> memories_;
    std::vector<std::unique_ptr<SnmpAgent>> agents_;
};

} // namespace varnadex::sim
