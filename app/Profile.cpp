#include "app/Profile.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace varnadex {
namespace {

constexpr std::size_t kValueBuffer = 300; // the profile reader's buffer, terminator included

std::string trim(const std::string& s) {
    auto begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    auto end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string unquote(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

std::string CProfile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return def;
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        std::string t = trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t.front() == '[') {
            auto close = t.find(']');
            inSection = close != std::string::npos &&
                        equalsIgnoreCase(trim(t.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        auto eq = t.find('=');
        if (eq == std::string::npos || !equalsIgnoreCase(trim(t.substr(0, eq)), key)) continue;
        std::string value = unquote(trim(t.substr(eq + 1)));
        if (value.empty()) return def;
        if (value.size() > kValueBuffer - 1) value.resize(kValueBuffer - 1);
        return value;
    }
    return def;
}

int CProfile::ReadInt(const std::string& section, const std::string& key, int def) const {
    long long v = lenientDecimal(ReadString(section, key, std::to_string(def)));
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

long long lenientDecimal(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    constexpr long long kLimit = 1LL << 40;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value < kLimit) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

} // namespace varnadex
