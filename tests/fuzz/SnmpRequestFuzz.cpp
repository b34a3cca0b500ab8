#include "tests/fuzz/FuzzTargets.h"

#include "sim/SnmpResponder.h"
#include "snmp/SnmpMessage.h"

#include <algorithm>
#include <span>

namespace varnadex::test {
namespace {

using namespace varnadex::sim;

// The message an answer carries: "oversized" pads it past its end.
std::span<const std::uint8_t> message(std::span<const std::uint8_t> bytes) {
    const auto whole = BerReader(bytes, BerRules::Lenient).next();
    if (!whole) return {};
    return bytes.first(static_cast<std::size_t>(whole->content.data() - bytes.data()) +
                       whole->content.size());
}

// An answer is one well-formed response to the request it answers.
bool answers(const SnmpResponder::Answer& answer, std::span<const std::uint8_t> request,
             const SnmpFaults& faults) {
    const auto asked = decodeSnmpMessage(request, BerRules::Lenient);
    const auto said = decodeSnmpMessage(message(answer.bytes), BerRules::Lenient);
    if (!asked || !said) return false;
    const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(asked->requestId) +
                                              (faults.wrongId ? 1u : 0u));
    return said->pduTag == ber::kGetResponse && said->requestId == id && said->bindingCount == 1 &&
           std::ranges::equal(said->oid, asked->oid) &&
           std::ranges::equal(said->community, asked->community);
}

} // namespace

bool fuzzSnmpRequest(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return true;
    SnmpFaults faults;
    faults.community = "public";
    faults.answerAttempt = data[0] & 3;
    faults.wrongId = data[0] & 4;
    faults.errorStatus = data[0] & 8;
    faults.shortForm = data[0] & 16;
    faults.oversized = data[0] & 32;
    const std::span<const std::uint8_t> request(data + 1, size - 1);

    RegisterMemory memory;
    SimLog log;
    SnmpResponder responder(memory, log, faults);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto answer = responder.handle(request);
        if (answer && !answers(*answer, request, faults)) return false;
    }
    // Every request is logged, answered or not.
    return log.lines().size() == 2;
}

} // namespace varnadex::test
