#pragma once

#include "snmp/ProbeSocket.h"
#include "snmp/ScanTargets.h"

namespace varnadex {

// IPv4 UDP over POSIX sockets, unconnected. Port-unreachable notices come through the socket's
// error queue (IP_RECVERR), which names the destination that refused.
class PosixProbeSocket : public IProbeSocket {
public:
    PosixProbeSocket() = default;
    ~PosixProbeSocket() override { close(); }
    PosixProbeSocket(const PosixProbeSocket&) = delete;
    PosixProbeSocket& operator=(const PosixProbeSocket&) = delete;

    bool open() override;
    void close() override;
    bool sendTo(Ipv4Address to, std::uint16_t port, std::span<const std::uint8_t> bytes) override;
    ProbeEvent receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) override;

private:
    int fd_ = -1;
};

} // namespace varnadex
