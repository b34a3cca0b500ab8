#include "snmp/SnmpMessage.h"

namespace varnadex {

std::optional<SnmpMessage> decodeSnmpMessage(std::span<const std::uint8_t> datagram,
                                             BerRules rules) {
    BerReader top(datagram, rules);
    auto message = top.next(ber::kSequence);
    if (!message || !top.atEnd()) return std::nullopt;

    SnmpMessage out;
    BerReader m = top.inside(*message);
    auto version = m.next(ber::kInteger);
    auto community = m.next(ber::kOctetString);
    auto pdu = m.next();
    if (!version || !community || !pdu || !m.atEnd()) return std::nullopt;
    // A PDU is context-specific and constructed.
    if ((pdu->tag & 0xE0) != 0xA0) return std::nullopt;
    auto v = berInteger(version->content, rules);
    if (!v) return std::nullopt;
    out.version = *v;
    out.community = community->content;
    out.pduTag = pdu->tag;

    BerReader p = m.inside(*pdu);
    auto requestId = p.next(ber::kInteger);
    auto errorStatus = p.next(ber::kInteger);
    auto errorIndex = p.next(ber::kInteger);
    auto bindings = p.next(ber::kSequence);
    if (!requestId || !errorStatus || !errorIndex || !bindings || !p.atEnd()) return std::nullopt;
    auto id = berInteger(requestId->content, rules);
    auto status = berInteger(errorStatus->content, rules);
    if (!id || !status || !berInteger(errorIndex->content, rules)) return std::nullopt;
    out.requestId = *id;
    out.errorStatus = *status;
    out.bindingsContent = bindings->content;

    BerReader list = p.inside(*bindings);
    while (!list.atEnd()) {
        auto binding = list.next(ber::kSequence);
        if (!binding) return std::nullopt;
        BerReader b = list.inside(*binding);
        auto oid = b.next(ber::kObjectIdentifier);
        auto value = b.next();
        if (!oid || !value || !b.atEnd()) return std::nullopt;
        if (out.bindingCount++ == 0) {
            out.oid = oid->content;
            out.value = *value;
        }
    }
    return out;
}

std::optional<std::int32_t> answerId(std::span<const std::uint8_t> datagram) {
    const auto message = decodeSnmpMessage(datagram, BerRules::Lenient);
    if (!message || message->pduTag != ber::kGetResponse) return std::nullopt;
    return message->requestId;
}

} // namespace varnadex
