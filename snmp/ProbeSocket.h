#pragma once

#include "app/Clock.h"
#include "snmp/ScanTargets.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnadex {

struct ProbeEvent {
    enum class Kind {
        Datagram, // a datagram from `from`:`port`; `size` is its true size, even beyond the buffer
        Refused,  // `from`:`port` answered a probe with ICMP port unreachable
        Nothing,  // nothing within the time-out
        Failed,   // the socket cannot receive at all
    };
    Kind kind = Kind::Nothing;
    Ipv4Address from = 0;
    std::uint16_t port = 0;
    std::size_t size = 0;
};

// One unconnected UDP socket that talks to many agents at once: a scan sends through it to
// every address and polls it for every answer, telling the senders apart by their addresses.
class IProbeSocket {
public:
    virtual ~IProbeSocket() = default;
    virtual bool open() = 0;
    virtual void close() = 0;
    // A send that fails shows later as a missing answer.
    virtual bool sendTo(Ipv4Address to, std::uint16_t port,
                        std::span<const std::uint8_t> bytes) = 0;
    // Waits up to `timeout` for one datagram or one refusal; copies what fits into `buffer`.
    virtual ProbeEvent receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) = 0;
};

} // namespace varnadex
