#pragma once

#include "snmp/DatagramSocket.h"

namespace varnadex {

// IPv4 UDP over POSIX sockets.
class PosixUdpSocket : public IDatagramSocket {
public:
    PosixUdpSocket() = default;
    ~PosixUdpSocket() override { close(); }
    PosixUdpSocket(const PosixUdpSocket&) = delete;
    PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

    bool create() override;
    bool connect(const std::string& host, std::uint16_t port) override;
    void close() override;
    bool send(std::span<const std::uint8_t> bytes) override;
    ReceiveResult receive(std::span<std::uint8_t> buffer, Millis timeout) override;
    void discardWaiting() override;

    int handle() const { return fd_; }

private:
    int fd_ = -1;
};

} // namespace varnadex
