#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace varnadex {

// How much a reader forgives. Strict takes what a standard SNMP stack sends: the shortest
// length form and minimal integers. Lenient also takes the converter's own framing: one-byte
// long-form lengths below 128 and fixed-width integers with leading zero bytes.
enum class BerRules { Strict, Lenient };

// BER tags that SNMP v1 uses.
namespace ber {
constexpr std::uint8_t kInteger = 0x02;
constexpr std::uint8_t kOctetString = 0x04;
constexpr std::uint8_t kNull = 0x05;
constexpr std::uint8_t kObjectIdentifier = 0x06;
constexpr std::uint8_t kSequence = 0x30;
constexpr std::uint8_t kGetRequest = 0xA0;
constexpr std::uint8_t kGetNextRequest = 0xA1;
constexpr std::uint8_t kGetResponse = 0xA2;
constexpr std::uint8_t kSetRequest = 0xA3;
} // namespace ber

struct BerElement {
    std::uint8_t tag = 0;
    std::span<const std::uint8_t> content;
};

// Reads the BER elements that follow one another in a span, one at a time. Every length is
// checked against the bytes that are there; what SNMP v1 never needs is refused rather than
// guessed at: high tag numbers, indefinite lengths, lengths of more than two bytes.
class BerReader {
public:
    explicit BerReader(std::span<const std::uint8_t> bytes, BerRules rules = BerRules::Strict)
        : bytes_(bytes), rules_(rules) {}

    bool atEnd() const { return pos_ == bytes_.size(); }
    // The next element; nothing (and the reader stays where it was) when it is malformed or
    // runs past the end.
    std::optional<BerElement> next();
    // The next element only when it carries this tag.
    std::optional<BerElement> next(std::uint8_t tag);
    // A reader over an element's content, with the same rules.
    BerReader inside(const BerElement& element) const { return BerReader(element.content, rules_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    BerRules rules_;
};

// The value of INTEGER contents of one to four bytes, two's complement. Strict refuses
// a non-minimal form (a leading 0x00 or 0xFF byte that only repeats the sign).
std::optional<std::int32_t> berInteger(std::span<const std::uint8_t> content, BerRules rules);

} // namespace varnadex
