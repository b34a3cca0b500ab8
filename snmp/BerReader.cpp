#include "snmp/BerReader.h"

namespace varnadex {

std::optional<BerElement> BerReader::next() {
    const std::size_t size = bytes_.size();
    std::size_t at = pos_;
    if (size - at < 2) return std::nullopt;
    const std::uint8_t tag = bytes_[at++];
    if ((tag & 0x1F) == 0x1F) return std::nullopt;

    const std::uint8_t first = bytes_[at++];
    std::size_t length = 0;
    if (first < 0x80) {
        length = first;
    } else {
        const std::size_t count = first & 0x7F;
        // 0x80 is the indefinite form; more than two length bytes describe more than any
        // datagram we take.
        if (count == 0 || count > 2 || size - at < count) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i)
            length = length << 8 | bytes_[at++];
        if (rules_ == BerRules::Strict) {
            // The shortest form only: a length below 128 is one byte, and a two-byte length
            // does not start with zero.
            const bool minimal = count == 1 ? length >= 0x80 : length >= 0x100;
            if (!minimal) return std::nullopt;
        }
    }
    if (length > size - at) return std::nullopt;
    pos_ = at + length;
    return BerElement{tag, bytes_.subspan(at, length)};
}

std::optional<BerElement> BerReader::next(std::uint8_t tag) {
    BerReader probe = *this;
    auto element = probe.next();
    if (!element || element->tag != tag) return std::nullopt;
    *this = probe;
    return element;
}

std::optional<std::int32_t> berInteger(std::span<const std::uint8_t> content, BerRules rules) {
    if (content.empty() || content.size() > 4) return std::nullopt;
    if (rules == BerRules::Strict && content.size() > 1) {
        const bool redundantZero = content[0] == 0x00 && (content[1] & 0x80) == 0;
        const bool redundantOnes = content[0] == 0xFF && (content[1] & 0x80) != 0;
        if (redundantZero || redundantOnes) return std::nullopt;
    }
    std::uint32_t value = (content[0] & 0x80) ? 0xFFFFFFFFu : 0u;
    for (std::uint8_t b : content)
        value = value << 8 | b;
    return static_cast<std::int32_t>(value);
}

} // namespace varnadex
