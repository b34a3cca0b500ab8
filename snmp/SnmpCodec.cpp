#include "snmp/SnmpCodec.h"

#include "snmp/BerReader.h"
#include "snmp/SnmpMessage.h"

#include <algorithm>

namespace varnadex {
namespace {

// Bytes that follow the community, per request kind: the whole message is n + this.
std::size_t requestOverhead(RequestKind kind) {
    switch (kind) {
    case RequestKind::RegisterRead:
        return 44;
    case RequestKind::RegisterWrite:
        return 46;
    case RequestKind::Reset:
    case RequestKind::Version:
        return 43;
    }
    return 46;
}

bool isRegisterKind(RequestKind kind) {
    return kind == RequestKind::RegisterRead || kind == RequestKind::RegisterWrite;
}

// BER contents of the object identifier a request names.
std::vector<std::uint8_t> objectFor(RequestKind kind, std::uint8_t reg) {
    std::vector<std::uint8_t> oid(kConverterArc.begin(), kConverterArc.end());
    switch (kind) {
    case RequestKind::RegisterRead:
    case RequestKind::RegisterWrite:
        oid.push_back(kRegisterObject);
        oid.push_back(reg);
        break;
    case RequestKind::Reset:
        oid.push_back(kResetObject);
        break;
    case RequestKind::Version:
        oid.push_back(kVersionObject);
        break;
    }
    return oid;
}

// The converter writes every constructed length as 0x81 LL, even below 128.
void openConstructed(std::vector<std::uint8_t>& out, std::uint8_t tag, std::size_t length) {
    out.push_back(tag);
    out.push_back(0x81);
    out.push_back(static_cast<std::uint8_t>(length));
}

// --- standard BER framing --------------------------------------------------------------------

std::optional<SnmpResult> judgeStandard(const SnmpMessage& r, RequestKind kind, std::uint8_t id,
                                        std::uint8_t reg, std::uint8_t value) {
    if (r.version != 0 || r.pduTag != ber::kGetResponse || r.requestId != id ||
        r.errorStatus != 0 || r.bindingCount != 1) {
        return std::nullopt;
    }
    if (isRegisterKind(kind) && reg > kMaxSnmpRegister) return std::nullopt;
    const auto expected = objectFor(kind, reg);
    if (!std::ranges::equal(r.oid, expected)) return std::nullopt;

    SnmpResult result;
    std::optional<std::int32_t> number;
    if (r.value.tag == ber::kInteger) number = berInteger(r.value.content, BerRules::Strict);

    switch (kind) {
    case RequestKind::RegisterRead:
        if (!number || *number < 0 || *number > 255) return std::nullopt;
        result.value = static_cast<std::uint8_t>(*number);
        return result;
    case RequestKind::RegisterWrite:
        if (!number || *number != value) return std::nullopt;
        result.value = value;
        return result;
    case RequestKind::Reset:
        if (!number || *number != 1) return std::nullopt;
        return result;
    case RequestKind::Version:
        if (r.value.tag == ber::kOctetString && r.value.content.size() == 2) {
            result.major = r.value.content[0];
            result.minor = r.value.content[1];
            return result;
        }
        // As an INTEGER the two bytes the converter sends read as major * 256 + minor.
        if (!number || *number < 0 || *number > 0xFFFF) return std::nullopt;
        result.major = static_cast<std::uint8_t>(*number >> 8);
        result.minor = static_cast<std::uint8_t>(*number & 0xFF);
        return result;
    }
    return std::nullopt;
}

// --- the converter's framing -----------------------------------------------------------------

std::optional<SnmpResult> judgeFixed(std::span<const std::uint8_t> d, RequestKind kind,
                                     std::size_t n, std::uint8_t id, std::uint8_t value) {
    // The converter's answer repeats the request's framing with a two-byte value, so it is
    // n+46 bytes for the register objects and n+45 for reset and version; the last position
    // read below is the answer's last byte.
    if (n > kSnmpBufferSize) return std::nullopt;
    const std::size_t needed = n + (isRegisterKind(kind) ? 46 : 45);
    if (d.size() < needed) return std::nullopt;
    if (d[0] != ber::kSequence) return std::nullopt;
    // A request is well formed at every other position read here: without the GetResponse
    // tag a peer that sends each datagram back would acknowledge every write.
    if (d[n + 8] != ber::kGetResponse) return std::nullopt;
    if (d[n + 16] != id) return std::nullopt;
    // Error-status: an agent that refuses a write still echoes the written value, so without
    // this check a refusal would pass for success.
    if (d[n + 19] != 0) return std::nullopt;

    SnmpResult result;
    switch (kind) {
    case RequestKind::RegisterRead:
        result.value = d[n + 45];
        break;
    case RequestKind::RegisterWrite:
        if (d[n + 45] != value) return std::nullopt;
        result.value = value;
        break;
    case RequestKind::Reset:
        if (d[n + 44] != 1) return std::nullopt;
        break;
    case RequestKind::Version:
        result.major = d[n + 43];
        result.minor = d[n + 44];
        break;
    }
    return result;
}

} // namespace

std::size_t maxCommunityLength(RequestKind kind) {
    return kSnmpBufferSize - requestOverhead(kind);
}

BuiltRequest BuildRequest(RequestKind kind, std::string_view community, std::uint8_t id,
                          std::uint8_t reg, std::uint8_t value) {
    const std::size_t n = community.size();
    if (n > maxCommunityLength(kind)) return {{}, BuildError::CommunityTooLong};
    if (isRegisterKind(kind) && reg > kMaxSnmpRegister) return {{}, BuildError::RegisterOutOfRange};

    const bool write = kind == RequestKind::RegisterWrite;
    const bool get = kind == RequestKind::RegisterRead || kind == RequestKind::Version;
    const auto oid = objectFor(kind, reg);
    // NULL for everything but the write's two-byte INTEGER.
    const std::size_t valueLength = write ? 4 : 2;
    const std::size_t bindingLength = 2 + oid.size() + valueLength;
    const std::size_t listLength = 3 + bindingLength;
    const std::size_t pduLength = 6 + 3 + 3 + 3 + listLength;
    const std::size_t total = n + requestOverhead(kind);

    std::vector<std::uint8_t> out;
    out.reserve(total);
    openConstructed(out, ber::kSequence, total - 3);
    out.insert(out.end(), {ber::kInteger, 0x01, 0x00});
    out.push_back(ber::kOctetString);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), community.begin(), community.end());
    openConstructed(out, get ? ber::kGetRequest : ber::kSetRequest, pduLength);
    // The request-id always takes four bytes, so an id of 0x80 or more is never negative.
    out.insert(out.end(), {ber::kInteger, 0x04, 0x00, 0x00, 0x00, id});
    out.insert(out.end(), {ber::kInteger, 0x01, 0x00, ber::kInteger, 0x01, 0x00});
    openConstructed(out, ber::kSequence, listLength);
    openConstructed(out, ber::kSequence, bindingLength);
    out.push_back(ber::kObjectIdentifier);
    out.push_back(static_cast<std::uint8_t>(oid.size()));
    out.insert(out.end(), oid.begin(), oid.end());
    if (write) {
        out.insert(out.end(), {ber::kInteger, 0x02, 0x00, value});
    } else {
        out.insert(out.end(), {ber::kNull, 0x00});
    }
    return {std::move(out), std::nullopt};
}

std::optional<SnmpResult> ReadResponse(RequestKind kind, std::span<const std::uint8_t> datagram,
                                       std::size_t n, std::uint8_t id, std::uint8_t reg,
                                       std::uint8_t value) {
    if (datagram.empty() || datagram.size() > kSnmpBufferSize) return std::nullopt;
    // A strictly encoded message is judged as a standard answer. The converter's own framing
    // never passes as strict (its one-byte long-form lengths are not the shortest form), so
    // every datagram is judged by exactly one of the two rules.
    if (auto standard = decodeSnmpMessage(datagram, BerRules::Strict)) {
        return judgeStandard(*standard, kind, id, reg, value);
    }
    return judgeFixed(datagram, kind, n, id, value);
}

} // namespace varnadex
