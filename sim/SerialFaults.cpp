#include "sim/SerialFaults.h"

#include "config/FieldText.h"

namespace varnadex::sim {

FaultParse applySerialFault(const std::string& text, SerialFaults& faults) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const bool hasValue = eq != std::string::npos;

    struct Flag {
        const char* name;
        bool SerialFaults::*member;
    };
    struct Number {
        const char* name;
        int SerialFaults::*member;
        int minimum;
    };
    static const Flag kFlags[] = {{"silent", &SerialFaults::silent},
                                  {"not-o", &SerialFaults::notO},
                                  {"extra", &SerialFaults::extra},
                                  {"stale", &SerialFaults::stale}};
    static const Number kNumbers[] = {{"silent-from", &SerialFaults::silentFrom, 1},
                                      {"split", &SerialFaults::splitMs, 1},
                                      {"slow", &SerialFaults::slowMs, 1}};
    for (const auto& f : kFlags) {
        if (name != f.name) continue;
        if (hasValue) return FaultParse::BadValue;
        faults.*f.member = true;
        return FaultParse::Applied;
    }
    for (const auto& n : kNumbers) {
        if (name != n.name) continue;
        const int value = hasValue ? parseWord(text.substr(eq + 1)).value_or(0) : 0;
        if (value < n.minimum) return FaultParse::BadValue;
        faults.*n.member = value;
        return FaultParse::Applied;
    }
    return FaultParse::UnknownName;
}

} // namespace varnadex::sim
