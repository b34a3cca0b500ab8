#include "cli/ConfigJson.h"

#include "config/CodePage.h"
#include "config/DialogRules.h"
#include "config/RegisterMap.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <sstream>

namespace varnadex {
namespace {

using json = nlohmann::ordered_json;
using C = ConverterConfig;

enum class Check { AnyText, DataFormat, MaxLength, Range };

struct JsonField {
    const char* name;
    std::variant<std::string C::*, int C::*, std::uint8_t C::*> member;
    Check check;
    int low = 0; // Range: bounds; MaxLength: the limit
    int high = 0;
    bool optional = false;
};

// The ranges and limits are the settings dialogs' own. Text members take any text here:
// Write Conf checks addresses and numbers before it sends.
const JsonField kFields[] = {
    {"macAddress", &C::macAddress, Check::AnyText},
    {"ipAddress", &C::ipAddress, Check::AnyText},
    {"subnetMask", &C::subnetMask, Check::AnyText},
    {"gatewayAddress", &C::gatewayAddress, Check::AnyText},
    {"remoteAddress", &C::remoteAddress, Check::AnyText},
    {"remotePort", &C::remotePort, Check::AnyText},
    {"localPort", &C::localPort, Check::AnyText},
    {"remoteSubnetMask", &C::remoteSubnetMask, Check::AnyText},
    {"baudRate", &C::baudRate, Check::AnyText},
    {"dataFormat", &C::dataFormat, Check::DataFormat},
    {"dataFormatCode", &C::dataFormatCode, Check::Range, 0, 255, true},
    {"rtsCtsFlowControl", &C::rtsCtsFlowControl, Check::Range, 0, 1},
    {"dtrMode", &C::dtrMode, Check::Range, 0, 1},
    {"crlfMode", &C::crlfMode, Check::Range, 0, 1},
    {"workingMode", &C::workingMode, Check::Range, 0, 1},
    {"protocol", &C::protocol, Check::Range, 0, 1},
    {"tcpMode", &C::tcpMode, Check::Range, 0, 1},
    {"networkTimeout", &C::networkTimeout, Check::Range, kNetworkTimeoutLow, kNetworkTimeoutHigh},
    {"keepAliveTimer", &C::keepAliveTimer, Check::Range, kKeepAliveLow, kKeepAliveHigh},
    {"bufferHandling", &C::bufferHandling, Check::Range, 0, 1},
    {"networkDelay", &C::networkDelay, Check::Range, 0, 2},
    {"optimizeFor", &C::optimizeFor, Check::Range, 0, 1},
    {"icmpEchoEnabled", &C::icmpEchoEnabled, Check::Range, 0, 1},
    {"patternCharEnabled", &C::patternCharEnabled, Check::Range, 0, 1},
    {"patternChar", &C::patternChar, Check::MaxLength, int(kPatternCharLimit)},
    {"snmpReadEnabled", &C::snmpReadEnabled, Check::Range, 0, 1},
    {"snmpWriteEnabled", &C::snmpWriteEnabled, Check::Range, 0, 1},
    {"snmpCommunity", &C::snmpCommunity, Check::MaxLength, int(kSnmpCommunityLimit)},
    {"snmpFilterAddress", &C::snmpFilterAddress, Check::AnyText},
    {"snmpFilterMask", &C::snmpFilterMask, Check::AnyText},
};
constexpr const char* kVersionMember = "firmwareVersion";

json valueOf(const JsonField& f, const C& c) {
    return std::visit(
        [&](auto member) -> json {
            if constexpr (std::is_same_v<decltype(member), std::string C::*>)
                return c.*member;
            else
                return static_cast<int>(c.*member);
        },
        f.member);
}

std::string quoted(const std::string& s) {
    return json(s).dump();
}

} // namespace

std::string configToJson(const ConverterConfig& c) {
    json out = json::object();
    for (const auto& f : kFields)
        out[f.name] = valueOf(f, c);
    out[kVersionMember] = c.firmwareVersion;
    return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string configToText(const ConverterConfig& c) {
    std::size_t width = std::strlen(kVersionMember);
    for (const auto& f : kFields)
        width = std::max(width, std::strlen(f.name));
    std::ostringstream out;
    auto line = [&](const char* name, const json& v) {
        out << std::left << std::setw(static_cast<int>(width) + 1) << (std::string(name) + ":")
            << ' ' << (v.is_string() ? v.get<std::string>() : v.dump()) << '\n';
    };
    for (const auto& f : kFields)
        line(f.name, valueOf(f, c));
    line(kVersionMember, c.firmwareVersion);
    return out.str();
}

std::variant<ConverterConfig, std::string> configFromJson(const std::string& text) {
    json in;
    try {
        in = json::parse(text);
    } catch (const json::parse_error& e) {
        return std::string("the file is not valid JSON: ") + e.what();
    }
    if (!in.is_object()) return std::string("the file must hold one JSON object");

    for (auto it = in.begin(); it != in.end(); ++it) {
        bool known = it.key() == kVersionMember;
        for (const auto& f : kFields)
            known = known || it.key() == f.name;
        if (!known) return quoted(it.key()) + " is not a converter field";
    }

    ConverterConfig c;
    c.applyLateDefaults();
    bool codeGiven = false;
    for (const auto& f : kFields) {
        const std::string name = f.name;
        if (!in.contains(name)) {
            if (f.optional) continue;
            return "the field " + quoted(name) + " is missing";
        }
        const json& v = in[name];
        std::string error;
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::string C::*>) {
                    if (!v.is_string()) {
                        error = quoted(name) + " must be a text";
                        return;
                    }
                    std::string s = v.get<std::string>();
                    if (f.check == Check::MaxLength &&
                        characterCount(s) > static_cast<std::size_t>(f.low))
                        error = quoted(name) + " holds more than " + std::to_string(f.low) +
                                " characters";
                    else if (f.check == Check::DataFormat && !dataFormatCodeFor(s))
                        error = quoted(name) + " must be one of the data formats (8N1, 7E1, ...)";
                    else
                        c.*member = s;
                } else {
                    if (!v.is_number_integer()) {
                        error = quoted(name) + " must be a whole number";
                        return;
                    }
                    long long n = v.get<long long>();
                    if (n < f.low || n > f.high) {
                        error = quoted(name) + " must be between " + std::to_string(f.low) +
                                " and " + std::to_string(f.high);
                        return;
                    }
                    c.*member = static_cast<std::remove_reference_t<decltype(c.*member)>>(n);
                }
            },
            f.member);
        if (!error.empty()) return error;
        if (name == "dataFormatCode") codeGiven = true;
    }
    if (in.contains(kVersionMember) && !in[kVersionMember].is_string())
        return quoted(kVersionMember) + " must be a text";
    if (!codeGiven) c.dataFormatCode = *dataFormatCodeFor(c.dataFormat);
    return c;
}

} // namespace varnadex
