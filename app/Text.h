#pragma once

#include <optional>
#include <string_view>

namespace varnadex {

// The blanks a person types around a value; line ends count where a caller splits lines.
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kBlanksAndLineEnds = " \t\r\n";

// `text` without the given blanks at either end.
std::string_view trimmed(std::string_view text, std::string_view blanks = kBlanksAndLineEnds);

// Digits only, at least one, the value at most `max`: "", "+1", " 1" and "1e3" are refused,
// and a long run of digits stops at `max` before it can overflow.
std::optional<unsigned long> parseDecimal(std::string_view text, unsigned long max);

// The digits at the start of `text`, possibly none.
std::string_view leadingDigits(std::string_view text);

// The settings file's way: leading blanks and a sign, then digits up to the first other
// character; no digits gives 0. Saturates instead of overflowing.
long long lenientDecimal(std::string_view text);

} // namespace varnadex
