#include "tests/fuzz/SnmpFuzz.h"

#include "snmp/BerReader.h"
#include "snmp/SnmpCodec.h"

#include <span>

namespace varnadex::test {
namespace {

bool walk(std::span<const std::uint8_t> bytes, BerRules rules, int depth) {
    BerReader reader(bytes, rules);
    while (!reader.atEnd()) {
        const auto element = reader.next();
        if (!element) break;
        const auto* begin = element->content.data();
        const auto* end = begin + element->content.size();
        if (!element->content.empty() &&
            (begin < bytes.data() || end > bytes.data() + bytes.size()))
            return false;
        if (element->tag == 0x02) berInteger(element->content, rules);
        const bool constructed = (element->tag & 0x20) != 0;
        if (constructed && depth < 12 && !walk(element->content, rules, depth + 1)) return false;
    }
    return true;
}

} // namespace

bool fuzzSnmpResponse(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return true;
    const auto kind = static_cast<RequestKind>(data[0] % 4);
    const std::size_t n = data[1];
    const std::uint8_t id = data[2], reg = data[3], value = data[4];
    const std::span<const std::uint8_t> datagram(data + 5, size - 5);

    if (const auto result = ReadResponse(kind, datagram, n, id, reg, value)) {
        if (datagram.empty() || datagram.size() > kSnmpBufferSize) return false;
        if (kind == RequestKind::RegisterWrite && result->value != value) return false;
    }
    return walk(datagram, BerRules::Strict, 0) && walk(datagram, BerRules::Lenient, 0);
}

} // namespace varnadex::test
