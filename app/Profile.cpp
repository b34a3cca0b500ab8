#include "app/Profile.h"

#include "app/Text.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace varnadex {
namespace {

constexpr std::size_t kValueBuffer = 300; // the profile reader's buffer, terminator included

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view unquote(std::string_view v) {
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
        const std::string_view t = trimmed(line);
        if (t.empty() || t[0] == ';') continue;
        if (t.front() == '[') {
            auto close = t.find(']');
            inSection = close != std::string_view::npos &&
                        equalsIgnoreCase(trimmed(t.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        auto eq = t.find('=');
        if (eq == std::string_view::npos || !equalsIgnoreCase(trimmed(t.substr(0, eq)), key))
            continue;
        std::string value(unquote(trimmed(t.substr(eq + 1))));
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

} // namespace varnadex
