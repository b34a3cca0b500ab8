#pragma once

#include "sim/RegisterMemory.h"
#include "sim/SimLog.h"
#include "sim/SnmpFaults.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varnadex::sim {

// The converter's SNMP agent without its socket: one request datagram in, at most one answer
// out. It takes the converter's own framing and standard BER alike, and answers in the
// converter's framing (0x81 LL lengths, a four-byte request-id, two value content bytes).
// Every request goes to the log as one line:
//   snmp get R id=N | snmp set R V id=N | snmp reset id=N | snmp version id=N
//   snmp get-unknown id=N | snmp set-unknown id=N | snmp wrong-community id=N
//   snmp unsupported id=N (a PDU other than get and set) | snmp malformed
// (numbers in decimal; N is the whole request-id).
class SnmpResponder {
public:
    struct Answer {
        std::vector<std::uint8_t> bytes;
        std::chrono::milliseconds delay{0};
        std::vector<std::uint8_t> forerunner; // sent right before `bytes` (empty: nothing)
    };

    SnmpResponder(RegisterMemory& memory, SimLog& log, SnmpFaults faults);

    std::optional<Answer> handle(std::span<const std::uint8_t> request);

    // Safe to call while another thread handles requests.
    void setVersion(std::uint8_t major, std::uint8_t minor);
    int resetCount() const { return resets_.load(); }

private:
    bool takeThisAttempt(std::span<const std::uint8_t> pduKey);

    RegisterMemory& memory_;
    SimLog& log_;
    SnmpFaults faults_;
    std::atomic<std::uint16_t> version_{0x0202};
    std::atomic<int> resets_{0};
    // For "answer only the n-th attempt": the last request's PDU without its request-id, and
    // how many times in a row it came unanswered.
    std::vector<std::uint8_t> lastKey_;
    int attempts_ = 0;
};

} // namespace varnadex::sim
