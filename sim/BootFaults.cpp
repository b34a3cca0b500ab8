#include "sim/BootFaults.h"

#include "sim/SerialFaults.h"

#include <cctype>

namespace varnadex::sim {
namespace {

// "0001" -> {0x00, 0x01}: one byte or more, two digits each.
bool parseHexBytes(const std::string& text, std::vector<std::uint8_t>& out) {
    if (text.empty() || text.size() % 2 != 0 || text.size() > 32) return false;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
            !std::isxdigit(static_cast<unsigned char>(pair[1])))
            return false;
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(pair, nullptr, 16)));
    }
    out = bytes;
    return true;
}

bool parseCount(const std::string& text, int& out) {
    if (text.empty() || text.size() > 8) return false;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1) return false;
    out = value;
    return true;
}

} // namespace

FaultParse applyBootFault(const std::string& text, BootFaults& faults) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const bool hasValue = eq != std::string::npos;
    const std::string value = hasValue ? text.substr(eq + 1) : std::string();

    if (name == "boot" || name == "boot-v-one-byte" || name == "boot-v-silent") {
        if (hasValue) return FaultParse::BadValue;
        if (name == "boot") faults.startInLoader = true;
        if (name == "boot-v-one-byte") faults.versionOneByte = true;
        if (name == "boot-v-silent") faults.versionSilent = true;
        return FaultParse::Applied;
    }
    if (name == "boot-v") {
        return parseHexBytes(value, faults.versionAnswer) ? FaultParse::Applied
                                                          : FaultParse::BadValue;
    }
    if (name == "boot-checkpoint-e" || name == "boot-checkpoint-late" ||
        name == "boot-checkpoint-flood") {
        int& field = name == "boot-checkpoint-e"      ? faults.checkpointError
                     : name == "boot-checkpoint-late" ? faults.checkpointLateMs
                                                      : faults.checkpointFlood;
        return parseCount(value, field) ? FaultParse::Applied : FaultParse::BadValue;
    }
    if (name == "boot-image-size") {
        int size = 0;
        if (!parseCount(value, size)) return FaultParse::BadValue;
        faults.imageSize = static_cast<std::size_t>(size);
        return FaultParse::Applied;
    }
    if (name == "boot-final" || name == "reset-reply") {
        if (value.empty()) return FaultParse::BadValue;
        std::string& reply = name == "boot-final" ? faults.finalReply : faults.resetReply;
        reply = name == "boot-final" && value == "none" ? std::string() : value;
        return FaultParse::Applied;
    }
    return FaultParse::UnknownName;
}

} // namespace varnadex::sim
