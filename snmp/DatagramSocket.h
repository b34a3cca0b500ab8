#pragma once

#include "app/Clock.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace varnadex {

struct ReceiveResult {
    enum class Status {
        Datagram, // one datagram was taken; `size` is its true size, even beyond the buffer
        Nothing,  // nothing came within the time-out, or only a notice such as port-unreachable
        Failed,   // the socket cannot receive at all
    };
    Status status = Status::Nothing;
    std::size_t size = 0;
};

// A UDP socket connected to one peer, so that it takes only that peer's datagrams.
class IDatagramSocket {
public:
    virtual ~IDatagramSocket() = default;
    // A fresh socket, closing any earlier one.
    virtual bool create() = 0;
    // Why the last create() failed, in the system's words (too many open files, ...).
    virtual std::string lastFailure() const { return {}; }
    // Looks the host up (dotted IPv4 or a name) and connects to it.
    virtual bool connect(const std::string& host, std::uint16_t port) = 0;
    virtual void close() = 0;
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
    // Waits up to `timeout` for one datagram and copies what fits into `buffer`.
    virtual ReceiveResult receive(std::span<std::uint8_t> buffer, Millis timeout) = 0;
    // Throws away every datagram already waiting, without waiting for more.
    virtual void discardWaiting() = 0;
};

} // namespace varnadex
