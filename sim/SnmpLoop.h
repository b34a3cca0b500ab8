#pragma once

#include "sim/SimLog.h"
#include "sim/SnmpLink.h"
#include "sim/SnmpResponder.h"
#include "snmp/ScanTargets.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace varnadex::sim {

// SNMP agents' sockets served by one thread: one poll over all of them and a wake-up pipe.
// The answers "snmp-late" holds back and the datagrams the link delays wait in one queue,
// soonest first, each for its own agent. Every socket has its own responder. A dropped
// datagram is logged as "snmp dropped-in id=N" (a request, before its agent saw it) or
// "snmp dropped-out id=N" (an answer, after its request's line), N the request's id;
// a request too garbled to show one is logged without it.
class SnmpLoop {
public:
    explicit SnmpLoop(SimLog& log);
    SnmpLoop(const SnmpLoop&) = delete;
    SnmpLoop& operator=(const SnmpLoop&) = delete;
    ~SnmpLoop();

    // Takes effect at the next start().
    void setLink(const LinkSettings& link) { link_ = link; }

    // Before start(): a UDP socket on `address` for `responder`, which must outlive the run.
    // Port 0 picks a free port. The bound port; nothing when the address cannot be had.
    std::optional<std::uint16_t> listen(Ipv4Address address, std::uint16_t port,
                                        SnmpResponder& responder);
    // Serves every socket listened on. False when running already or out of descriptors.
    bool start();
    // Stops at once, losing what is still on its way or held back, and closes every socket.
    void stop();
    bool running() const;
    std::size_t size() const;

private:
    class Run;

    SimLog& log_;
    LinkSettings link_;
    std::unique_ptr<Run> run_;
};

// Whether `sockets` more descriptors fit under the open-file limit, beside those this
// process holds and a margin. The soft limit is raised towards the hard one when they would
// not fit under it; `needed` and `limit` are for a message when even the hard one is too low.
struct DescriptorRoom {
    bool enough = true;
    std::uint64_t needed = 0;
    std::uint64_t limit = 0; // the hard limit
};
DescriptorRoom makeRoomForSockets(std::size_t sockets);

} // namespace varnadex::sim
