#include "config/RegisterMap.h"

#include "config/CodePage.h"
#include "config/FieldText.h"

#include <cstring>
#include <stdexcept>

namespace varnadex {
namespace {

using C = ConverterConfig;

const FieldEntry kMap[] = {
    {"macAddress", 10, 6, AccessorKind::Mac, Rule::Text, &C::macAddress},
    {"ipAddress", 16, 4, AccessorKind::Ipv4, Rule::Text, &C::ipAddress},
    {"subnetMask", 20, 4, AccessorKind::Ipv4, Rule::Text, &C::subnetMask},
    {"gatewayAddress", 24, 4, AccessorKind::Ipv4, Rule::Text, &C::gatewayAddress},
    {"remoteAddress", 28, 4, AccessorKind::Ipv4, Rule::Text, &C::remoteAddress},
    {"remotePort", 32, 2, AccessorKind::Word, Rule::Text, &C::remotePort},
    {"localPort", 34, 2, AccessorKind::Word, Rule::Text, &C::localPort},
    {"remoteSubnetMask", 36, 4, AccessorKind::Ipv4, Rule::Text, &C::remoteSubnetMask},
    {"baudRate", 40, 2, AccessorKind::Word, Rule::Text, &C::baudRate},
    {"dataFormat", 44, 1, AccessorKind::Byte, Rule::DataFormat, &C::dataFormatCode},
    {"rtsCtsFlowControl", 46, 1, AccessorKind::Decimal, Rule::Flag, &C::rtsCtsFlowControl},
    {"icmpEchoEnabled", 50, 1, AccessorKind::Decimal, Rule::Flag, &C::icmpEchoEnabled},
    {"dtrMode", 51, 1, AccessorKind::Decimal, Rule::Flag, &C::dtrMode},
    {"tcpMode", 52, 1, AccessorKind::Decimal, Rule::Flag, &C::tcpMode},
    {"crlfMode", 53, 1, AccessorKind::Decimal, Rule::Flag, &C::crlfMode},
    {"networkDelay", 54, 1, AccessorKind::Decimal, Rule::NetworkDelay, &C::networkDelay},
    {"optimizeFor", 55, 1, AccessorKind::Decimal, Rule::Flag, &C::optimizeFor},
    {"keepAliveTimer", 56, 1, AccessorKind::Byte, Rule::KeepAlive, &C::keepAliveTimer},
    {"networkTimeout", 57, 1, AccessorKind::Byte, Rule::Plain, &C::networkTimeout},
    {"bufferHandling", 58, 1, AccessorKind::Decimal, Rule::Flag, &C::bufferHandling},
    {"protocol", 59, 1, AccessorKind::Decimal, Rule::FlagFFOff, &C::protocol},
    {"workingMode", 60, 1, AccessorKind::Decimal, Rule::FlagFFOff, &C::workingMode},
    {"snmpReadEnabled", 70, 1, AccessorKind::Decimal, Rule::FlagFFOff, &C::snmpReadEnabled},
    {"snmpWriteEnabled", 71, 1, AccessorKind::Decimal, Rule::FlagFFOff, &C::snmpWriteEnabled},
    {"snmpFilterAddress", 72, 4, AccessorKind::Ipv4, Rule::Text, &C::snmpFilterAddress},
    {"snmpFilterMask", 76, 4, AccessorKind::Ipv4, Rule::Text, &C::snmpFilterMask},
    {"snmpCommunity", 80, 1, AccessorKind::Byte, Rule::Community, &C::snmpCommunity},
    {"patternCharEnabled", 100, 1, AccessorKind::Decimal, Rule::Flag, &C::patternCharEnabled},
    {"patternChar", 101, 1, AccessorKind::Hex, Rule::Text, &C::patternChar},
};

// Write Conf sends the community's characters apart from its length; the map lists the
// field once, so the characters have an entry of their own that only the write order uses.
const FieldEntry kCommunityChars = {
    "snmpCommunity", 81, 10, AccessorKind::Byte, Rule::CommunityChars, &C::snmpCommunity};

const FieldEntry& field(const char* name) {
    for (const auto& f : kMap)
        if (std::strcmp(f.name, name) == 0) return f;
    throw std::logic_error(name); // a misspelt name in the tables below
}

// The converter is read in the order its firmware has always been read: MAC first, timers
// before the modes, the network delay in the middle, the community last.
const FieldEntry* const kReadOrder[] = {
    &field("macAddress"),
    &field("ipAddress"),
    &field("subnetMask"),
    &field("gatewayAddress"),
    &field("remoteAddress"),
    &field("remoteSubnetMask"),
    &field("snmpFilterAddress"),
    &field("snmpFilterMask"),
    &field("remotePort"),
    &field("localPort"),
    &field("baudRate"),
    &field("dataFormat"),
    &field("rtsCtsFlowControl"),
    &field("icmpEchoEnabled"),
    &field("keepAliveTimer"),
    &field("networkTimeout"),
    &field("dtrMode"),
    &field("crlfMode"),
    &field("tcpMode"),
    &field("protocol"),
    &field("workingMode"),
    &field("networkDelay"),
    &field("optimizeFor"),
    &field("bufferHandling"),
    &field("patternCharEnabled"),
    &field("patternChar"),
    &field("snmpReadEnabled"),
    &field("snmpWriteEnabled"),
    &field("snmpCommunity"),
};

// Writing puts the community length before the working mode, its characters after the
// pattern character, and the network delay last.
const FieldEntry* const kWriteOrder[] = {
    &field("ipAddress"),        &field("subnetMask"),
    &field("gatewayAddress"),   &field("remoteAddress"),
    &field("remoteSubnetMask"), &field("snmpFilterAddress"),
    &field("snmpFilterMask"),   &field("remotePort"),
    &field("localPort"),        &field("baudRate"),
    &field("dataFormat"),       &field("rtsCtsFlowControl"),
    &field("icmpEchoEnabled"),  &field("dtrMode"),
    &field("crlfMode"),         &field("tcpMode"),
    &field("optimizeFor"),      &field("bufferHandling"),
    &field("keepAliveTimer"),   &field("networkTimeout"),
    &field("protocol"),         &field("snmpReadEnabled"),
    &field("snmpWriteEnabled"), &field("snmpCommunity"),
    &field("workingMode"),      &field("patternCharEnabled"),
    &field("patternChar"),      &kCommunityChars,
    &field("networkDelay"),
};

struct DataFormatCode {
    const char* text;
    std::uint8_t code;
    const char* readBack;
};

// 7M1 and 8M1 share their codes with 7N2 and 8N2 and read back as those.
constexpr DataFormatCode kDataFormats[] = {
    {"8N1", 0x00, "8N1"}, {"7N2", 0x10, "7N2"}, {"7M1", 0x10, "7N2"}, {"7S1", 0x11, "7S1"},
    {"7E1", 0x31, "7E1"}, {"7O1", 0x32, "7O1"}, {"8N2", 0x40, "8N2"}, {"8M1", 0x40, "8N2"},
    {"8S1", 0x41, "8S1"}, {"8E1", 0xC1, "8E1"}, {"8O1", 0xC2, "8O1"},
};

constexpr const char* kDataFormatList[] = {"8N1", "7E1", "7O1", "7M1", "7S1", "7N2",
                                           "8E1", "8O1", "8M1", "8S1", "8N2"};

int intValue(const FieldEntry& f, const ConverterConfig& c) {
    if (auto p = std::get_if<int C::*>(&f.member)) return c.**p;
    if (auto p = std::get_if<std::uint8_t C::*>(&f.member)) return c.**p;
    return 0;
}

void setInt(const FieldEntry& f, ConverterConfig& c, int value) {
    if (auto p = std::get_if<int C::*>(&f.member)) c.** p = value;
    if (auto p = std::get_if<std::uint8_t C::*>(&f.member))
        c.** p = static_cast<std::uint8_t>(value);
}

} // namespace

std::span<const FieldEntry> registerMap() {
    return kMap;
}

const FieldEntry* findField(const std::string& name) {
    for (const auto& f : kMap)
        if (name == f.name) return &f;
    return nullptr;
}

std::span<const FieldEntry* const> readOrder() {
    return kReadOrder;
}
std::span<const FieldEntry* const> writeOrder() {
    return kWriteOrder;
}
const FieldEntry& macField() {
    return kMap[0];
}

std::span<const char* const> dataFormatTexts() {
    return kDataFormatList;
}

std::optional<std::uint8_t> dataFormatCodeFor(const std::string& text) {
    for (const auto& d : kDataFormats)
        if (text == d.text) return d.code;
    return std::nullopt;
}

std::optional<std::string> dataFormatTextFor(std::uint8_t code) {
    for (const auto& d : kDataFormats)
        if (code == d.code) return std::string(d.readBack);
    return std::nullopt;
}

void applyRegisterValue(const FieldEntry& f, std::uint8_t value, ConverterConfig& c) {
    switch (f.rule) {
    case Rule::Flag:
        setInt(f, c, value != 0 ? 1 : 0);
        break;
    case Rule::FlagFFOff:
        setInt(f, c, value != 0 && value != 255 ? 1 : 0);
        break;
    case Rule::DataFormat: {
        std::uint8_t code = value == 255 ? 0 : value;
        c.dataFormatCode = code;
        if (auto text = dataFormatTextFor(code)) c.dataFormat = *text;
        break;
    }
    case Rule::NetworkDelay:
        setInt(f, c, value == 1 ? 0 : value == 5 ? 1 : 2);
        break;
    case Rule::KeepAlive:
        setInt(f, c, value / 10);
        break;
    case Rule::Plain:
        setInt(f, c, value);
        break;
    case Rule::Text:
    case Rule::Community:
    case Rule::CommunityChars:
        break;
    }
}

std::optional<std::uint8_t> registerValueFor(const FieldEntry& f, const ConverterConfig& c) {
    int v = intValue(f, c);
    switch (f.rule) {
    case Rule::DataFormat:
        return c.dataFormatCode;
    case Rule::NetworkDelay:
        if (v == 0) return 1;
        if (v == 1) return 5;
        if (v == 2) return 10;
        return std::nullopt;
    case Rule::KeepAlive:
        return static_cast<std::uint8_t>((v * 10) & 0xFF);
    case Rule::Flag:
    case Rule::FlagFFOff:
    case Rule::Plain:
        return static_cast<std::uint8_t>(v & 0xFF);
    case Rule::Text:
    case Rule::Community:
    case Rule::CommunityChars:
        return std::nullopt;
    }
    return std::nullopt;
}

std::string communityForWrite(const std::string& community) {
    return firstCharacters(community, kCommunityMaxLength);
}

std::array<std::uint8_t, 256> registerImage(const ConverterConfig& c) {
    std::array<std::uint8_t, 256> image{};
    auto put = [&](std::uint8_t first, std::span<const std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            image[static_cast<std::uint8_t>(first + i)] = bytes[i];
    };
    for (const auto& f : kMap) {
        const std::string* text = nullptr;
        if (auto p = std::get_if<std::string C::*>(&f.member)) text = &(c.**p);
        switch (f.kind) {
        case AccessorKind::Mac:
            if (auto b = parseMac(*text)) put(f.first, *b);
            continue;
        case AccessorKind::Ipv4:
            if (auto b = parseIpv4(*text)) put(f.first, *b);
            continue;
        case AccessorKind::Word:
            if (auto w = parseWord(*text)) {
                const std::uint8_t b[2] = {static_cast<std::uint8_t>(*w >> 8),
                                           static_cast<std::uint8_t>(*w & 0xFF)};
                put(f.first, b);
            }
            continue;
        case AccessorKind::Hex:
            if (auto b = parseHexByte(*text)) image[f.first] = *b;
            continue;
        default:
            break;
        }
        if (f.rule == Rule::Community) {
            std::string community = toConverterText(communityForWrite(*text)).value_or("");
            image[f.first] = static_cast<std::uint8_t>(community.size());
            for (std::size_t i = 0; i < community.size(); ++i)
                image[f.first + 1 + i] = static_cast<std::uint8_t>(community[i]);
            continue;
        }
        if (auto v = registerValueFor(f, c)) image[f.first] = *v;
    }
    return image;
}

} // namespace varnadex
