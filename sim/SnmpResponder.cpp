#include "sim/SnmpResponder.h"

#include "snmp/BerReader.h"
#include "snmp/SnmpCodec.h"
#include "snmp/SnmpMessage.h"

#include <algorithm>
#include <string>

namespace varnadex::sim {
namespace {

constexpr std::int32_t kNoSuchName = 2;
constexpr std::int32_t kBadValue = 3;
constexpr std::size_t kOversizedLength = 128;

enum class Target { Register, Reset, Version, Unknown };

// Padding after the message leaves every position the tool reads intact, so only the size
// tells this datagram from a good answer.
std::vector<std::uint8_t> oversized(std::vector<std::uint8_t> bytes) {
    if (bytes.size() < kOversizedLength) bytes.resize(kOversizedLength, 0x00);
    return bytes;
}

struct Request {
    std::int32_t requestId = 0;
    std::uint8_t pduTag = 0;
    std::span<const std::uint8_t> community;
    std::span<const std::uint8_t> oid;
    BerElement value;
    std::span<const std::uint8_t> bindings; // the bindings list's content, for the attempt key
    std::optional<std::int32_t> written;    // the value, when it is an INTEGER

    bool isSet() const { return pduTag == ber::kSetRequest; }
};

std::optional<Request> parse(std::span<const std::uint8_t> datagram) {
    auto m = decodeSnmpMessage(datagram, BerRules::Lenient);
    // SNMP v1 only, and the converter's objects take one binding per request.
    if (!m || m->version != 0 || m->bindingCount != 1) return std::nullopt;
    Request request{m->requestId, m->pduTag,          m->community, m->oid,
                    m->value,     m->bindingsContent, std::nullopt};
    if (m->value.tag == ber::kInteger)
        request.written = berInteger(m->value.content, BerRules::Lenient);
    return request;
}

// The request, when the agent takes it up at all; a line in the log when it does not.
std::optional<Request> admit(std::span<const std::uint8_t> datagram, const std::string& community,
                             SimLog& log) {
    auto request = parse(datagram);
    if (!request) {
        log.add("snmp malformed");
        return std::nullopt;
    }
    if (request->pduTag != ber::kGetRequest && !request->isSet()) {
        log.add("snmp unsupported id=" + std::to_string(request->requestId));
        return std::nullopt;
    }
    if (!std::ranges::equal(request->community, community, [](std::uint8_t a, char b) {
            return a == static_cast<std::uint8_t>(b);
        })) {
        log.add("snmp wrong-community id=" + std::to_string(request->requestId));
        return std::nullopt;
    }
    return request;
}

Target targetOf(std::span<const std::uint8_t> oid, std::uint8_t& reg) {
    const std::size_t arc = kConverterArc.size();
    if (oid.size() < arc + 1 ||
        !std::equal(kConverterArc.begin(), kConverterArc.end(), oid.begin()))
        return Target::Unknown;
    const auto rest = oid.subspan(arc);
    if (rest.size() == 1 && rest[0] == kResetObject) return Target::Reset;
    if (rest.size() == 1 && rest[0] == kVersionObject) return Target::Version;
    if (rest.size() == 2 && rest[0] == kRegisterObject && rest[1] <= kMaxSnmpRegister) {
        reg = rest[1];
        return Target::Register;
    }
    return Target::Unknown;
}

// --- answers ---------------------------------------------------------------------------------

class Encoder {
public:
    explicit Encoder(bool shortForm) : shortForm_(shortForm) {}

    std::vector<std::uint8_t> tlv(std::uint8_t tag, std::span<const std::uint8_t> content,
                                  bool constructed) const {
        const std::size_t n = content.size();
        // Sized up front: besides sparing reallocations, this keeps GCC 12 at -O3 from a
        // false out-of-bounds warning on the inserts below.
        std::vector<std::uint8_t> out;
        out.reserve(n + 4);
        out.push_back(tag);
        if (n < 0x80 && (shortForm_ || !constructed)) {
            out.push_back(static_cast<std::uint8_t>(n));
        } else if (n < 0x100) {
            // The converter's framing: 0x81 LL on every constructed element.
            out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
        } else {
            out.insert(out.end(), {0x82, static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n & 0xFF)});
        }
        out.insert(out.end(), content.begin(), content.end());
        return out;
    }

    // Minimal INTEGER contents, or `width` bytes when the converter's framing wants them.
    std::vector<std::uint8_t> integer(std::int32_t value, std::size_t width) const {
        std::vector<std::uint8_t> bytes;
        const auto u = static_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(u >> shift));
        if (!shortForm_ && width >= 1 && width <= 4) {
            bytes.erase(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(width));
        } else {
            while (bytes.size() > 1 && ((bytes[0] == 0x00 && !(bytes[1] & 0x80)) ||
                                        (bytes[0] == 0xFF && (bytes[1] & 0x80)))) {
                bytes.erase(bytes.begin());
            }
        }
        return tlv(ber::kInteger, bytes, false);
    }

    bool shortForm() const { return shortForm_; }

private:
    bool shortForm_;
};

std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// What the agent makes of one request: the error-status, and the value a success carries
// (empty for a refusal, which echoes the request's own value).
struct Outcome {
    std::int32_t status = 0;
    std::uint8_t valueTag = ber::kInteger;
    std::vector<std::uint8_t> valueContent; // two bytes
};

std::vector<std::uint8_t> encodeAnswer(const Request& request, const Outcome& outcome,
                                       const SnmpFaults& faults) {
    const Encoder enc(faults.shortForm);
    std::vector<std::uint8_t> value;
    if (outcome.valueContent.empty()) {
        value = enc.tlv(request.value.tag, request.value.content, false);
    } else if (outcome.valueTag == ber::kInteger && enc.shortForm()) {
        value = enc.integer(outcome.valueContent[0] << 8 | outcome.valueContent[1], 2);
    } else {
        value = enc.tlv(outcome.valueTag, outcome.valueContent, false);
    }
    const auto oid = enc.tlv(ber::kObjectIdentifier, request.oid, false);
    const auto binding = enc.tlv(ber::kSequence, concat({oid, value}), true);
    const auto list = enc.tlv(ber::kSequence, binding, true);
    const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(request.requestId) +
                                              (faults.wrongId ? 1u : 0u));
    const auto pdu = enc.tlv(ber::kGetResponse,
                             concat({enc.integer(id, 4), enc.integer(outcome.status, 1),
                                     enc.integer(outcome.status ? 1 : 0, 1), list}),
                             true);
    const auto community = enc.tlv(ber::kOctetString, request.community, false);
    auto bytes = enc.tlv(ber::kSequence, concat({enc.integer(0, 1), community, pdu}), true);
    if (faults.oversized) bytes = oversized(std::move(bytes));
    return bytes;
}

std::string describe(const Request& request, Target target, std::uint8_t reg) {
    const bool set = request.isSet();
    const auto& written = request.written;
    const std::string id = "id=" + std::to_string(request.requestId);
    switch (target) {
    case Target::Register:
        if (!set) return "snmp get " + std::to_string(reg) + " " + id;
        return "snmp set " + std::to_string(reg) + " " +
               (written ? std::to_string(*written) : std::string("?")) + " " + id;
    case Target::Reset:
        return "snmp reset " + id;
    case Target::Version:
        return "snmp version " + id;
    case Target::Unknown:
        break;
    }
    return std::string(set ? "snmp set-unknown " : "snmp get-unknown ") + id;
}

// --- what each kind of request does ---------------------------------------------------------

// What a request may read and change.
struct Converter {
    RegisterMemory& memory;
    std::atomic<int>& resets;
    std::uint16_t version;
    bool refuseAll; // "snmp-error-status"
};

Outcome refusal(std::int32_t status) {
    return Outcome{status, ber::kInteger, {}};
}

// Under "snmp-error-status" the refusal that looks most like a success: the binding a success
// would carry, with a non-zero error-status. Callers change something only on status 0.
Outcome success(const Converter& c, std::vector<std::uint8_t> content,
                std::uint8_t tag = ber::kInteger) {
    return Outcome{c.refuseAll ? kNoSuchName : 0, tag, std::move(content)};
}

Outcome onRegister(const Request& request, std::uint8_t reg, Converter& c) {
    if (!request.isSet()) return success(c, {0x00, c.memory.read(reg)});
    const auto& written = request.written;
    if (!written || *written < 0 || *written > 255) return refusal(kBadValue);
    const auto value = static_cast<std::uint8_t>(*written);
    auto outcome = success(c, {0x00, value});
    if (outcome.status == 0) c.memory.write(reg, value);
    return outcome;
}

Outcome onReset(const Request& request, Converter& c) {
    if (!request.isSet()) return refusal(kNoSuchName);
    auto outcome = success(c, {0x00, 0x01});
    if (outcome.status == 0) ++c.resets;
    return outcome;
}

Outcome onVersion(const Request& request, const Converter& c) {
    if (request.isSet()) return refusal(kNoSuchName);
    return success(
        c, {static_cast<std::uint8_t>(c.version >> 8), static_cast<std::uint8_t>(c.version & 0xFF)},
        ber::kOctetString);
}

Outcome onUnknown() {
    return refusal(kNoSuchName);
}

Outcome carryOut(const Request& request, Target target, std::uint8_t reg, Converter& c) {
    switch (target) {
    case Target::Register:
        return onRegister(request, reg, c);
    case Target::Reset:
        return onReset(request, c);
    case Target::Version:
        return onVersion(request, c);
    case Target::Unknown:
        break;
    }
    return onUnknown();
}

} // namespace

SnmpResponder::SnmpResponder(RegisterMemory& memory, SimLog& log, SnmpFaults faults)
    : memory_(memory), log_(log), faults_(std::move(faults)) {}

void SnmpResponder::setVersion(std::uint8_t major, std::uint8_t minor) {
    version_.store(static_cast<std::uint16_t>(major << 8 | minor));
}

bool SnmpResponder::takeThisAttempt(std::span<const std::uint8_t> key) {
    if (faults_.answerAttempt == 0) return true;
    // A retry repeats the request with a new id only, so the same bindings mean the same
    // transaction.
    if (std::ranges::equal(key, lastKey_)) {
        ++attempts_;
    } else {
        lastKey_.assign(key.begin(), key.end());
        attempts_ = 1;
    }
    if (attempts_ != faults_.answerAttempt) return false;
    lastKey_.clear();
    attempts_ = 0;
    return true;
}

std::optional<SnmpResponder::Answer> SnmpResponder::handle(std::span<const std::uint8_t> datagram) {
    const auto request = admit(datagram, faults_.community, log_);
    if (!request) return std::nullopt;
    std::uint8_t reg = 0;
    const Target target = targetOf(request->oid, reg);
    log_.add(describe(*request, target, reg));
    if (faults_.silent || !takeThisAttempt(request->bindings)) return std::nullopt;

    Converter converter{memory_, resets_, version_.load(), faults_.errorStatus};
    const Outcome outcome = carryOut(*request, target, reg, converter);
    Answer answer{
        encodeAnswer(*request, outcome, faults_), std::chrono::milliseconds(faults_.lateMs), {}};
    if (faults_.oversizedFirst) answer.forerunner = oversized(answer.bytes);
    return answer;
}

} // namespace varnadex::sim
