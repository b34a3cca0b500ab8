#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace varnadex {

// Text forms of register values, in both directions. Parsing is strict: a text that is not
// exactly what the field holds gives nothing, so a typo never becomes another value.

// 12 hexadecimal digits, either case.
std::optional<std::array<std::uint8_t, 6>> parseMac(const std::string& text);
// Four decimal numbers 0-255 separated by dots; blanks around each number are allowed.
std::optional<std::array<std::uint8_t, 4>> parseIpv4(const std::string& text);
// A decimal number 0-65535, blanks around it allowed.
std::optional<std::uint16_t> parseWord(const std::string& text);
// One or two hexadecimal digits, either case.
std::optional<std::uint8_t> parseHexByte(const std::string& text);

std::string hexByte(std::uint8_t value); // two uppercase digits
std::string formatMac(const std::array<std::uint8_t, 6>& bytes);
std::string formatIpv4(const std::array<std::uint8_t, 4>& bytes);
std::string formatVersion(std::uint8_t major, std::uint8_t minor); // "2.5"

} // namespace varnadex
