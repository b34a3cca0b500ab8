#include "config/FieldText.h"

#include "app/Text.h"

#include <cctype>

namespace varnadex {
namespace {

int nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Digits with blanks around them allowed, the value at most `max`.
std::optional<unsigned long> parseBounded(std::string_view text, unsigned long max) {
    return parseDecimal(trimmed(text, kBlanks), max);
}

} // namespace

std::optional<std::array<std::uint8_t, 6>> parseMac(const std::string& text) {
    if (text.size() != 12) return std::nullopt;
    std::array<std::uint8_t, 6> bytes{};
    for (std::size_t i = 0; i < 6; ++i) {
        int hi = nibble(text[2 * i]);
        int lo = nibble(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

std::optional<std::array<std::uint8_t, 4>> parseIpv4(const std::string& text) {
    std::array<std::uint8_t, 4> bytes{};
    std::size_t begin = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        std::size_t dot = i < 3 ? text.find('.', begin) : text.size();
        if (dot == std::string::npos) return std::nullopt;
        auto value = parseBounded(std::string_view(text).substr(begin, dot - begin), 255);
        if (!value) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(*value);
        begin = dot + 1;
    }
    return bytes;
}

std::optional<std::uint16_t> parseWord(const std::string& text) {
    auto value = parseBounded(text, 65535);
    if (!value) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

std::optional<std::uint8_t> parseHexByte(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    std::string padded = text.size() == 1 ? "0" + text : text;
    int hi = nibble(padded[0]);
    int lo = nibble(padded[1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

std::string hexByte(std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string formatMac(const std::array<std::uint8_t, 6>& bytes) {
    std::string out;
    for (auto b : bytes)
        out += hexByte(b);
    return out;
}

std::string formatIpv4(const std::array<std::uint8_t, 4>& bytes) {
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

std::string formatVersion(std::uint8_t major, std::uint8_t minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

} // namespace varnadex
