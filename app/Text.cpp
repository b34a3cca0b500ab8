#include "app/Text.h"

namespace varnadex {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string_view trimmed(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<unsigned long> parseDecimal(std::string_view text, unsigned long max) {
    if (text.empty()) return std::nullopt;
    unsigned long value = 0;
    for (const char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > max) return std::nullopt;
    }
    return value;
}

std::string_view leadingDigits(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && isDigit(text[n]))
        ++n;
    return text.substr(0, n);
}

long long lenientDecimal(std::string_view text) {
    text = trimmed(text, " \t\n\r\v\f");
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    constexpr long long kLimit = 1LL << 40;
    for (const char c : leadingDigits(text)) {
        if (value < kLimit) value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

} // namespace varnadex
