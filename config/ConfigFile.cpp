#include "config/ConfigFile.h"

#include "app/MessageCatalogue.h"
#include "config/CodePage.h"
#include "config/DialogRules.h"
#include "config/RegisterMap.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <set>
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
    int low = 0; // Range: what the field's registers can hold; MaxLength: the limit
    int high = 0;
    int dialogLow = 0; // Range: what the settings dialog offers
    int dialogHigh = 0;
    bool optional = false;
};

// A flag or a radio group: the dialogs offer 0 and 1, the register holds a byte.
constexpr int kByteMax = 255;
// keepAliveTimer is stored as seconds x 10 in one byte.
constexpr int kKeepAliveRegisterMax = kByteMax / 10;

#define VX_FLAG(name)                                                                              \
    { #name, &C::name, Check::Range, 0, kByteMax, 0, 1 }

// Values are refused only when the registers cannot hold them. Texts are checked by the write
// itself before anything is sent (addresses, ports, the speed, the pattern character).
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
    {"dataFormatCode", &C::dataFormatCode, Check::Range, 0, kByteMax, 0, kByteMax, true},
    VX_FLAG(rtsCtsFlowControl),
    VX_FLAG(dtrMode),
    VX_FLAG(crlfMode),
    VX_FLAG(workingMode),
    VX_FLAG(protocol),
    VX_FLAG(tcpMode),
    {"networkTimeout", &C::networkTimeout, Check::Range, 0, kByteMax, kNetworkTimeoutLow,
     kNetworkTimeoutHigh},
    {"keepAliveTimer", &C::keepAliveTimer, Check::Range, 0, kKeepAliveRegisterMax, kKeepAliveLow,
     kKeepAliveHigh},
    VX_FLAG(bufferHandling),
    // Only Small, Medium and Huge have a register value; any other would not be written.
    {"networkDelay", &C::networkDelay, Check::Range, 0, 2, 0, 2},
    VX_FLAG(optimizeFor),
    VX_FLAG(icmpEchoEnabled),
    VX_FLAG(patternCharEnabled),
    {"patternChar", &C::patternChar, Check::MaxLength, int(kPatternCharLimit)},
    VX_FLAG(snmpReadEnabled),
    VX_FLAG(snmpWriteEnabled),
    {"snmpCommunity", &C::snmpCommunity, Check::MaxLength, int(kSnmpCommunityLimit)},
    {"snmpFilterAddress", &C::snmpFilterAddress, Check::AnyText},
    {"snmpFilterMask", &C::snmpFilterMask, Check::AnyText},
};
#undef VX_FLAG
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

// The parser's own account quotes what it stopped at; enough of it to find the place.
constexpr std::size_t kParserMessageLimit = 160;

const JsonField* fieldNamed(const std::string& name) {
    for (const auto& f : kFields)
        if (name == f.name) return &f;
    return nullptr;
}

// What the parser's callback found wrong with the file's shape.
struct ShapeError {
    Problem problem;
};

// Parses one JSON object of fields, refusing a member given twice and nested values, and
// naming the member being read when the parser itself gives up (a number too large for any
// type, say).
json parseObject(std::string_view text) {
    std::vector<std::set<std::string>> seen;
    std::string lastKey;
    auto callback = [&](int depth, json::parse_event_t event, json& parsed) {
        switch (event) {
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            if (depth > 0) throw ShapeError{{ExtraMsg::FieldNotSingle, {lastKey}}};
            seen.emplace_back();
            break;
        case json::parse_event_t::key:
            lastKey = parsed.get<std::string>();
            if (!seen.empty() && !seen.back().insert(lastKey).second)
                throw ShapeError{{ExtraMsg::FieldGivenTwice, {lastKey}}};
            break;
        default:
            break;
        }
        return true;
    };
    try {
        return json::parse(text.begin(), text.end(), callback);
    } catch (const json::exception& e) {
        std::string why = e.what();
        if (why.size() > kParserMessageLimit) why = why.substr(0, kParserMessageLimit) + "...";
        // It may quote raw bytes of the file; none of them reaches a terminal as they are.
        for (char& ch : why)
            if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7F)
                ch = '?';
        if (lastKey.empty()) throw ShapeError{{ExtraMsg::FileNotJson, {why}}};
        throw ShapeError{{ExtraMsg::FileNotJsonAt, {lastKey, why}}};
    }
}

struct Reader {
    const json& in;
    ConverterConfig& c;
    ConfigFileResult& result;

    bool take(const JsonField& f, const json& v) {
        const std::string name = f.name;
        return std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::string C::*>) {
                    if (!v.is_string()) return refuse({ExtraMsg::FieldMustBeText, {name}});
                    std::string s = v.get<std::string>();
                    if (f.check == Check::MaxLength &&
                        characterCount(s) > static_cast<std::size_t>(f.low))
                        return refuse({ExtraMsg::FieldTooLong, {name, std::to_string(f.low)}});
                    if (f.check == Check::DataFormat && !dataFormatCodeFor(s))
                        return refuse({ExtraMsg::FieldNotDataFormat, {name}});
                    c.*member = std::move(s);
                } else {
                    if (!v.is_number_integer()) return refuse({ExtraMsg::FieldMustBeWhole, {name}});
                    // An unsigned number above the signed range is out of every field's range.
                    const bool huge = v.is_number_unsigned() &&
                                      v.get<std::uint64_t>() > static_cast<std::uint64_t>(f.high);
                    const long long n = huge ? f.high + 1LL : v.get<long long>();
                    if (n < f.low || n > f.high)
                        return refuse({ExtraMsg::FieldOutOfRange,
                                       {name, std::to_string(f.low), std::to_string(f.high)}});
                    if (n < f.dialogLow || n > f.dialogHigh)
                        result.warnings.push_back(
                            {ExtraMsg::FieldOutsideDialog,
                             {name, std::to_string(n), std::to_string(f.dialogLow),
                              std::to_string(f.dialogHigh)}});
                    c.*member = static_cast<std::remove_reference_t<decltype(c.*member)>>(n);
                }
                return true;
            },
            f.member);
    }

    bool refuse(Problem problem) {
        result.problem = std::move(problem);
        return false;
    }
};

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

ConfigFileResult parseConfigFile(std::string_view text) {
    ConfigFileResult result;
    json in;
    try {
        in = parseObject(text);
    } catch (const ShapeError& e) {
        result.problem = e.problem;
        return result;
    }
    if (!in.is_object()) {
        result.problem = Problem(ExtraMsg::FileNotObject);
        return result;
    }
    for (auto it = in.begin(); it != in.end(); ++it) {
        if (it.key() != kVersionMember && !fieldNamed(it.key())) {
            result.problem = Problem(ExtraMsg::FieldNotAField, {it.key()});
            return result;
        }
    }

    ConverterConfig c;
    c.applyLateDefaults();
    Reader reader{in, c, result};
    for (const auto& f : kFields) {
        if (!in.contains(f.name)) {
            if (f.optional) continue;
            result.problem = Problem(ExtraMsg::FieldMissing, {f.name});
            return result;
        }
        if (!reader.take(f, in[f.name])) return result;
    }
    if (in.contains(kVersionMember) && !in[kVersionMember].is_string()) {
        result.problem = Problem(ExtraMsg::FieldMustBeText, {kVersionMember});
        return result;
    }

    // The text decides, so that an edited "dataFormat" is what gets written. A code beside it
    // is either the text's own, or one no list entry has: the converter's own code, kept from
    // a read and written back as it is.
    const std::uint8_t textCode = *dataFormatCodeFor(c.dataFormat);
    if (in.contains("dataFormatCode") && c.dataFormatCode != textCode &&
        dataFormatTextFor(c.dataFormatCode)) {
        result.problem =
            Problem(ExtraMsg::DataFormatConflict, {c.dataFormat, std::to_string(c.dataFormatCode)});
        result.warnings.clear();
        return result;
    }
    if (!in.contains("dataFormatCode") || dataFormatTextFor(c.dataFormatCode))
        c.dataFormatCode = textCode;
    result.config = c;
    return result;
}

std::optional<Problem> setField(ConverterConfig& config, const std::string& name,
                                const std::string& text, std::vector<Problem>* warnings) {
    const JsonField* f = fieldNamed(name);
    if (!f) return Problem(ExtraMsg::FieldNotAField, {name});
    json value = text;
    if (!std::holds_alternative<std::string C::*>(f->member)) {
        // Whatever does not parse stays a text, and is refused as no whole number.
        json number = json::parse(text, nullptr, false);
        if (!number.is_discarded()) value = std::move(number);
    }
    ConfigFileResult result;
    ConverterConfig changed = config;
    Reader reader{value, changed, result};
    if (!reader.take(*f, value)) return result.problem;
    if (name == "dataFormat") {
        changed.dataFormatCode = *dataFormatCodeFor(changed.dataFormat);
    } else if (name == "dataFormatCode") {
        // A code no list entry has is the converter's own: its text stays as it was.
        if (auto known = dataFormatTextFor(changed.dataFormatCode)) changed.dataFormat = *known;
    }
    if (warnings) warnings->insert(warnings->end(), result.warnings.begin(), result.warnings.end());
    config = std::move(changed);
    return std::nullopt;
}

} // namespace varnadex
