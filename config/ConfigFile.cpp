#include "config/ConfigFile.h"

#include "app/MessageCatalogue.h"
#include "app/Utf8.h"
#include "config/CodePage.h"
#include "config/Fields.h"
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

json valueOf(const Field& f, const C& c) {
    if (const std::string* text = textOf(f, c)) return *text;
    return numberOf(f, c);
}

// The members a file holds, in its order: the fields, then what a read found.
bool inFile(const Field& f) {
    return uses(f, InFile) || uses(f, Reported);
}

// The parser's own account quotes what it stopped at; enough of it to find the place.
constexpr std::size_t kParserMessageLimit = 160;

// A member a file may set: a field, not what a read found.
const Field* fieldNamed(const std::string& name) {
    const Field* f = findField(name);
    return f && uses(*f, InFile) ? f : nullptr;
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

    bool take(const Field& f, const json& v) {
        const std::string name = f.name;
        return std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::string C::*>) {
                    if (!v.is_string()) return refuse({ExtraMsg::FieldMustBeText, {name}});
                    std::string s = v.get<std::string>();
                    if (f.check == FileCheck::MaxLength && characterCount(s) > f.textLimit)
                        return refuse(
                            {ExtraMsg::FieldTooLong, {name, std::to_string(f.textLimit)}});
                    if (f.check == FileCheck::DataFormat && !dataFormatCodeFor(s))
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
    for (const Field& f : fields())
        if (inFile(f)) out[f.name] = valueOf(f, c);
    return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

namespace {

// A number of 0 to `max` as the write's parser takes it: digits, leading zeros allowed, with
// spaces or tabs around.
std::string boundedNumber(int max) {
    const std::string blank = "[ \\t]*";
    if (max == 255) return blank + "0*(25[0-5]|2[0-4][0-9]|1[0-9]{2}|[1-9]?[0-9])" + blank;
    return blank + "0*(6553[0-5]|655[0-2][0-9]|65[0-4][0-9]{2}|6[0-4][0-9]{3}|[1-5][0-9]{4}|" +
           "[1-9][0-9]{0,3}|0)" + blank;
}

std::string hexEscape(char32_t c) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kDigits[(c >> shift) & 0xF];
    return out;
}

// The characters the converter's code page has: one byte each.
std::string codePageClass() {
    std::string out = "[" + hexEscape(0) + "-" + hexEscape(0x7F);
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string utf8 = fromConverterText(std::string(1, static_cast<char>(b)));
        std::size_t i = 0;
        if (const auto c = nextCodePoint(utf8, i)) out += hexEscape(*c);
    }
    return out + "]";
}

json memberSchema(const Field& f) {
    json s;
    std::string description = f.label.english ? f.label.english : f.name;
    if (f.values) description += std::string(": ") + f.values;
    if (textOf(f, ConverterConfig{})) {
        s["type"] = "string";
        switch (f.kind) {
        case AccessorKind::Mac:
            s["pattern"] = "^[0-9A-Fa-f]{12}$";
            description += "; 12 hexadecimal digits, written only with --enable-mac";
            break;
        case AccessorKind::Ipv4: {
            const std::string n = boundedNumber(255);
            s["pattern"] = "^" + n + "\\." + n + "\\." + n + "\\." + n + "$";
            break;
        }
        case AccessorKind::Word:
            s["pattern"] = "^" + boundedNumber(65535) + "$";
            break;
        case AccessorKind::Hex:
            s["pattern"] = "^[0-9A-Fa-f]{1,2}$";
            break;
        case AccessorKind::Byte:
            if (f.check == FileCheck::DataFormat) {
                s["enum"] = json::array();
                for (const char* text : dataFormatTexts())
                    s["enum"].push_back(text);
            } else if (f.rule == Rule::Community) {
                s["pattern"] = "^" + codePageClass() + "*$";
                description += "; letters of the Central European alphabets, digits and "
                               "punctuation";
            }
            break;
        }
        if (f.check == FileCheck::MaxLength) s["maxLength"] = f.textLimit;
    } else {
        s["type"] = "integer";
        s["minimum"] = f.low;
        s["maximum"] = f.high;
        if (f.dialogLow != f.low || f.dialogHigh != f.high)
            description += "; the settings dialog offers " + std::to_string(f.dialogLow) + " to " +
                           std::to_string(f.dialogHigh);
    }
    json out = {{"description", description}};
    out.update(s);
    return out;
}

} // namespace

std::string configSchema() {
    json schema = {{"$schema", "https://json-schema.org/draft/2020-12/schema"},
                   {"$id", "https://varnadex.org/schemas/config.schema.json"},
                   {"title", "Varnadex converter configuration"},
                   {"description", "A configuration file as varnadex-cli read writes it and "
                                   "write, diff and apply take it."},
                   {"type", "object"}};
    json properties = json::object();
    json required = json::array();
    const Field* text = nullptr;
    const Field* code = nullptr;
    for (const Field& f : fields()) {
        if (!inFile(f)) continue;
        properties[f.name] = memberSchema(f);
        if (uses(f, InFile) && !uses(f, Optional)) required.push_back(f.name);
        if (f.check == FileCheck::DataFormat) text = &f;
        if (uses(f, InFile) && uses(f, Optional) && !textOf(f, ConverterConfig{})) code = &f;
    }
    schema["properties"] = properties;
    schema["required"] = required;
    schema["additionalProperties"] = false;
    // A code beside a data format must be the text's own, or one no data format has.
    json rules = json::array();
    if (text && code) {
        for (const char* format : dataFormatTexts()) {
            json others = json::array();
            for (const char* other : dataFormatTexts()) {
                const auto c = *dataFormatCodeFor(other);
                if (c != *dataFormatCodeFor(format) &&
                    std::find(others.begin(), others.end(), c) == others.end())
                    others.push_back(c);
            }
            rules.push_back(
                {{"if",
                  {{"properties", {{text->name, {{"const", format}}}}},
                   {"required", {text->name, code->name}}}},
                 {"then", {{"properties", {{code->name, {{"not", {{"enum", others}}}}}}}}}});
        }
        schema["allOf"] = rules;
    }
    return schema.dump(2) + "\n";
}

std::string configToText(const ConverterConfig& c) {
    std::size_t width = 0;
    for (const Field& f : fields())
        if (inFile(f)) width = std::max(width, std::strlen(f.name));
    std::ostringstream out;
    for (const Field& f : fields()) {
        if (!inFile(f)) continue;
        const json v = valueOf(f, c);
        out << std::left << std::setw(static_cast<int>(width) + 1) << (std::string(f.name) + ":")
            << ' ' << (v.is_string() ? v.get<std::string>() : v.dump()) << '\n';
    }
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
        const Field* f = findField(it.key());
        if (!f || !inFile(*f)) {
            result.problem = Problem(ExtraMsg::FieldNotAField, {it.key()});
            return result;
        }
    }

    ConverterConfig c;
    c.applyLateDefaults();
    Reader reader{in, c, result};
    std::vector<const Field*> given;
    for (const Field& f : fields()) {
        if (uses(f, Reported)) {
            // Written by a read for the reader's sake; never taken back.
            if (in.contains(f.name) && !in[f.name].is_string()) {
                result.problem = Problem(ExtraMsg::FieldMustBeText, {f.name});
                return result;
            }
            continue;
        }
        if (!uses(f, InFile)) continue;
        if (!in.contains(f.name)) {
            if (uses(f, Optional)) continue;
            result.problem = Problem(ExtraMsg::FieldMissing, {f.name});
            return result;
        }
        if (!reader.take(f, in[f.name])) return result;
        given.push_back(&f);
    }
    if (auto conflict = settleFileFields(c, given)) {
        result.problem = std::move(conflict);
        result.warnings.clear();
        return result;
    }
    result.config = c;
    return result;
}

std::optional<Problem> setField(ConverterConfig& config, const std::string& name,
                                const std::string& text, std::vector<Problem>* warnings) {
    const Field* f = fieldNamed(name);
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
    settleSetField(*f, changed);
    if (warnings) warnings->insert(warnings->end(), result.warnings.begin(), result.warnings.end());
    config = std::move(changed);
    return std::nullopt;
}

} // namespace varnadex
