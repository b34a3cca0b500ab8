#pragma once

#include "sim/RegisterMemory.h"
#include "sim/SimLog.h"
#include "sim/SnmpFaults.h"
#include "sim/SnmpResponder.h"

#include <cstdint>
#include <string>
#include <thread>

namespace varnadex::sim {

// The converter's SNMP agent on a UDP port, on a thread of its own: answers with the
// register memory that the serial side shares, and logs every request (see SnmpResponder).
class SnmpAgent {
public:
    SnmpAgent(RegisterMemory& memory, SimLog& log, SnmpFaults faults = {});
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;
    ~SnmpAgent();

    // Binds to an IPv4 address or host name and starts answering; port 0 picks a free port.
    // False when the address cannot be had.
    bool start(const std::string& address, std::uint16_t port);
    // The bound port, once started.
    std::uint16_t port() const { return port_; }
    // Stops at once; answers still waiting out a "late" delay are dropped.
    void stop();
    bool running() const { return thread_.joinable(); }

    void setVersion(std::uint8_t major, std::uint8_t minor) { responder_.setVersion(major, minor); }
    int resetCount() const { return responder_.resetCount(); }

private:
    void run();

    SnmpResponder responder_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::thread thread_;
};

} // namespace varnadex::sim
