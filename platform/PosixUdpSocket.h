#pragma once

#include "platform/Resolve.h"
#include "snmp/DatagramSocket.h"

#include <functional>

namespace varnadex {

// IPv4 UDP over POSIX sockets.
class PosixUdpSocket : public IDatagramSocket {
public:
    // Host names are looked up through `resolve`: the system's resolver, or a table of a
    // test's own, so that no test ever asks the network for a name.
    explicit PosixUdpSocket(Resolver resolve = resolveIpv4) : resolve_(std::move(resolve)) {}
    ~PosixUdpSocket() override { close(); }
    PosixUdpSocket(const PosixUdpSocket&) = delete;
    PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

    bool create() override;
    bool connect(const std::string& host, std::uint16_t port) override;
    void close() override;
    bool send(std::span<const std::uint8_t> bytes) override;
    ReceiveResult receive(std::span<std::uint8_t> buffer, Millis timeout) override;
    void discardWaiting() override;
    std::string lastFailure() const override { return lastFailure_; }

    int handle() const { return fd_; }

private:
    Resolver resolve_;
    int fd_ = -1;
    std::string lastFailure_;
};

} // namespace varnadex
