#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace varnadex {

// The four requests the converter's SNMP agent understands, each with one variable binding.
enum class RequestKind { RegisterRead, RegisterWrite, Reset, Version };

// Requests and responses travel in buffers of this size.
constexpr std::size_t kSnmpBufferSize = 100;
// A register address is the last sub-identifier of its object, written as one raw byte, and a
// single BER byte carries only 0..127.
constexpr std::uint8_t kMaxSnmpRegister = 127;
// The longest community that fits every request kind (the register write is the longest).
constexpr std::size_t kMaxSnmpCommunity = 54;

// BER contents of 1.3.6.1.4.1.40931.1, the arc under which the converter's objects lie; the
// next sub-identifier says which object.
constexpr std::array<std::uint8_t, 9> kConverterArc = {0x2B, 0x06, 0x01, 0x04, 0x01,
                                                       0x82, 0xBF, 0x63, 0x01};
constexpr std::uint8_t kResetObject = 1;
constexpr std::uint8_t kRegisterObject = 2; // followed by the register address
constexpr std::uint8_t kVersionObject = 3;

// Longest community one request kind can carry: 56, 54, 57 and 57 bytes.
std::size_t maxCommunityLength(RequestKind kind);

enum class BuildError {
    CommunityTooLong,   // the request would not fit the 100-byte buffer
    RegisterOutOfRange, // above 127
};

struct BuiltRequest {
    std::vector<std::uint8_t> bytes; // empty when refused
    std::optional<BuildError> error;
    bool ok() const { return !error.has_value(); }
};

// One request in the converter's framing: every constructed length in the one-byte long form
// (0x81 LL), a four-byte request-id whose last byte is `id`, and for a register write the value
// as a two-byte INTEGER. `reg` is used by the register requests, `value` by the write only.
BuiltRequest BuildRequest(RequestKind kind, std::string_view community, std::uint8_t id,
                          std::uint8_t reg, std::uint8_t value);

// What an accepted response says. Register read: `value` is the register's value. Register
// write: `value` is the echoed value. Reset: an accepted response is the acknowledgement.
// Version: `major` and `minor`.
struct SnmpResult {
    std::uint8_t value = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
};

// Judges one datagram against the request that was sent: `n` is that request's community
// length, `id` its request-id, `reg` and `value` its register and written value. Nothing when
// it is not the answer.
//
// The converter's agent answers in the request's own framing, so its answers are read at fixed
// positions counted from the community length. A response in standard BER framing (as a
// standard agent or a proxy sends) is decoded element by element instead. Either way a
// response that carries a non-zero error-status is no answer, and nothing past the datagram's
// end is read.
std::optional<SnmpResult> ReadResponse(RequestKind kind, std::span<const std::uint8_t> datagram,
                                       std::size_t n, std::uint8_t id, std::uint8_t reg,
                                       std::uint8_t value);

} // namespace varnadex
