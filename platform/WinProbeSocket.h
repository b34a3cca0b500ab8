#pragma once

#include "snmp/ProbeSocket.h"

#include <cstdint>
#include <vector>

namespace varnadex {

// IPv4 UDP over Windows Sockets 2, unconnected. Winsock reports a port-unreachable notice as
// WSAECONNRESET from recvfrom, with the refusing destination as the sender.
class WinProbeSocket : public IProbeSocket {
public:
    WinProbeSocket() = default;
    ~WinProbeSocket() override { close(); }
    WinProbeSocket(const WinProbeSocket&) = delete;
    WinProbeSocket& operator=(const WinProbeSocket&) = delete;

    bool open() override;
    void close() override;
    bool sendTo(Ipv4Address to, std::uint16_t port, std::span<const std::uint8_t> bytes) override;
    ProbeEvent receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) override;

private:
    std::uintptr_t socket_ = ~std::uintptr_t{0}; // a SOCKET; INVALID_SOCKET while closed
    std::vector<std::uint8_t> whole_;            // a datagram received whole, for its true size
};

} // namespace varnadex
