#pragma once

#include "sim/RegisterMemory.h"
#include "sim/SimLog.h"
#include "sim/SnmpFaults.h"
#include "sim/SnmpLink.h"
#include "sim/SnmpLoop.h"
#include "sim/SnmpResponder.h"

#include <cstdint>
#include <string>

namespace varnadex::sim {

// The converter's SNMP agent on a UDP port, on a thread of its own: answers with the
// register memory that the serial side shares, and logs every request (see SnmpResponder
// and, for the datagrams the link loses, SnmpLoop).
class SnmpAgent {
public:
    SnmpAgent(RegisterMemory& memory, SimLog& log, SnmpFaults faults = {});
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;
    ~SnmpAgent();

    // The network between the agent and the program; takes effect at the next start().
    void setLink(const LinkSettings& link) { loop_.setLink(link); }

    // Binds to an IPv4 address or host name and starts answering; port 0 picks a free port.
    // False when the address cannot be had.
    bool start(const std::string& address, std::uint16_t port);
    // The bound port, once started.
    std::uint16_t port() const { return port_; }
    // Stops at once; answers still waiting out a "late" delay, and datagrams still on their
    // way over the link, are dropped.
    void stop();
    bool running() const { return loop_.running(); }

    void setVersion(std::uint8_t major, std::uint8_t minor) { responder_.setVersion(major, minor); }
    int resetCount() const { return responder_.resetCount(); }

private:
    SnmpResponder responder_;
    SnmpLoop loop_;
    std::uint16_t port_ = 0;
};

} // namespace varnadex::sim
