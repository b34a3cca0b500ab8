#pragma once

#include "snmp/DatagramSocket.h"

#include <cstdint>
#include <vector>

namespace varnadex {

// Windows Sockets 2, started once for the program; false when it cannot be had.
bool startWinsock();
// A non-blocking UDP socket that child processes do not inherit, or INVALID_SOCKET.
std::uintptr_t openUdpSocket();
// 1 when `socket` has something to read within `timeout`, 0 when not, -1 when it failed.
int waitReadable(std::uintptr_t socket, Millis timeout);

// IPv4 UDP over Windows Sockets 2. Winsock is started once for the program, by the first
// socket.
class WinUdpSocket : public IDatagramSocket {
public:
    WinUdpSocket() = default;
    ~WinUdpSocket() override { close(); }
    WinUdpSocket(const WinUdpSocket&) = delete;
    WinUdpSocket& operator=(const WinUdpSocket&) = delete;

    bool create() override;
    bool connect(const std::string& host, std::uint16_t port) override;
    void close() override;
    bool send(std::span<const std::uint8_t> bytes) override;
    ReceiveResult receive(std::span<std::uint8_t> buffer, Millis timeout) override;
    void discardWaiting() override;

private:
    // A SOCKET; ~0 (INVALID_SOCKET) while closed.
    std::uintptr_t socket_ = ~std::uintptr_t{0};
    // Winsock drops the rest of a datagram longer than the buffer and does not say how long
    // it was; received whole here, its true size is known.
    std::vector<std::uint8_t> whole_;
};

} // namespace varnadex
