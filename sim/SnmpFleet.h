#pragma once

#include "sim/RegisterMemory.h"
#include "sim/SimLog.h"
#include "sim/SnmpAgent.h"
#include "sim/SnmpFaults.h"
#include "sim/SnmpLink.h"
#include "sim/SnmpLoop.h"
#include "sim/SnmpResponder.h"
#include "snmp/ScanTargets.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace varnadex::sim {

// Many converters in one process: SNMP agents on addresses `stride` apart, all on one port,
// served by one thread (see SnmpLoop). Each has its own memory, holding its own address in
// the IP registers and a MAC address of its own: 00-50-C2 followed by the address's last
// three bytes. Each agent holds one descriptor, and the fleet two more.
class SnmpFleet {
public:
    SnmpFleet(SimLog& log, SnmpFaults faults = {})
        : log_(log), faults_(std::move(faults)), loop_(log) {}

    // The network between the agents and the program; takes effect at the next start().
    void setLink(const LinkSettings& link) { loop_.setLink(link); }

    // Port 0 takes a port free on every address. False, with no agent left running, when an
    // address cannot be had. Raises the soft limit of open files when the agents need it.
    bool start(Ipv4Address first, std::uint16_t port, int count, std::uint32_t stride = 1);
    void stop();

    std::uint16_t port() const { return port_; }
    std::size_t size() const { return addresses_.size(); }
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
    std::vector<std::unique_ptr<SnmpResponder>> responders_;
    SnmpLoop loop_; // last: stopped before the memories and responders it serves go
};

} // namespace varnadex::sim
