#include "sim/SnmpFaults.h"

#include <optional>

namespace varnadex::sim {
namespace {

std::optional<int> number(const std::string& text, int min, int max) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < min || value > max) return std::nullopt;
    return value;
}

} // namespace

FaultParse applySnmpFault(const std::string& text, SnmpFaults& faults) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const bool hasValue = eq != std::string::npos;
    const std::string value = hasValue ? text.substr(eq + 1) : std::string();

    auto flag = [&](bool& field) {
        if (hasValue) return FaultParse::BadValue;
        field = true;
        return FaultParse::Applied;
    };

    if (name == "snmp-silent") return flag(faults.silent);
    if (name == "snmp-wrong-id") return flag(faults.wrongId);
    if (name == "snmp-error-status") return flag(faults.errorStatus);
    if (name == "snmp-short-form") return flag(faults.shortForm);
    if (name == "snmp-oversized") return flag(faults.oversized);
    if (name == "snmp-oversized-first") return flag(faults.oversizedFirst);
    if (name == "snmp-answer-attempt") {
        auto n = number(value, 1, 1000);
        if (!n) return FaultParse::BadValue;
        faults.answerAttempt = *n;
        return FaultParse::Applied;
    }
    if (name == "snmp-late") {
        auto ms = hasValue ? number(value, 1, 60000) : std::optional<int>(kDefaultLateMs);
        if (!ms) return FaultParse::BadValue;
        faults.lateMs = *ms;
        return FaultParse::Applied;
    }
    if (name == "snmp-community") {
        // The converter keeps at most ten characters.
        if (!hasValue || value.size() > 10) return FaultParse::BadValue;
        faults.community = value;
        return FaultParse::Applied;
    }
    return FaultParse::UnknownName;
}

} // namespace varnadex::sim
