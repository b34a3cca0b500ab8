#pragma once

#include "snmp/BerReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace varnadex {

// One SNMP v1 message taken apart, element by element, with every length checked. The codec
// judges agents' answers with it, and the simulator's agent reads requests with it.
struct SnmpMessage {
    std::int32_t version = 0;
    std::span<const std::uint8_t> community;
    std::uint8_t pduTag = 0;
    std::int32_t requestId = 0;
    std::int32_t errorStatus = 0;
    std::span<const std::uint8_t> bindingsContent; // the variable-bindings list's content
    std::size_t bindingCount = 0;
    std::span<const std::uint8_t> oid; // of the first binding
    BerElement value;                  // of the first binding
};

// Nothing when the datagram is not one well-formed message under `rules`.
std::optional<SnmpMessage> decodeSnmpMessage(std::span<const std::uint8_t> datagram,
                                             BerRules rules);

// The request-id of an agent's answer (a GetResponse, read leniently), or nothing when the
// datagram is no answer at all.
std::optional<std::int32_t> answerId(std::span<const std::uint8_t> datagram);

} // namespace varnadex
