#include "config/ConfigProcedures.h"

#include "config/CodePage.h"
#include "config/FieldText.h"
#include "config/RegisterMap.h"
#include "config/TypedAccessors.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <variant>

namespace varnadex {
namespace {

std::string& textMember(const FieldEntry& f, ConverterConfig& c) {
    return c.*std::get<std::string ConverterConfig::*>(f.member);
}

const std::string& textMember(const FieldEntry& f, const ConverterConfig& c) {
    return c.*std::get<std::string ConverterConfig::*>(f.member);
}

struct FieldLabel {
    const char* field;
    const char* english;
    const char* hungarian;
};

// The names the settings dialogs give the fields, so a message points at what to correct.
constexpr FieldLabel kLabels[] = {
    {"ipAddress", "IP Address", "IP cím"},
    {"subnetMask", "Subnet Mask", "Alhálózati maszk"},
    {"gatewayAddress", "Gateway IP Address", "Átjáró IP címe"},
    {"remoteAddress", "Remote Address", "Távoli eszköz IP címe"},
    {"remoteSubnetMask", "Remote Subnet Mask", "Távoli alhálózati maszk"},
    {"snmpFilterAddress", "Network IP Address", "Hálózat IP címe"},
    {"snmpFilterMask", "Network Mask", "Hálózati maszk"},
    {"remotePort", "Remote Port", "Távoli port"},
    {"localPort", "Local Port", "Helyi port"},
};

std::string labelOf(const FieldEntry& f, bool english) {
    for (const auto& l : kLabels)
        if (std::strcmp(l.field, f.name) == 0) return english ? l.english : l.hungarian;
    return f.name;
}

} // namespace

std::optional<std::string> ConfigProcedures::checkWritable(const ConverterConfig& c) const {
    if (c.enableMac && !parseMac(c.macAddress)) return catalogue_.text(Msg::WrongMac);
    for (const FieldEntry* f : writeOrder()) {
        if (f->rule != Rule::Text) continue;
        const std::string& text = textMember(*f, c);
        switch (f->kind) {
        case AccessorKind::Ipv4:
            if (!parseIpv4(text))
                return catalogue_.extra(ExtraMsg::WrongIpAddress, labelOf(*f, catalogue_.english()),
                                        text);
            break;
        case AccessorKind::Word:
            if (parseWord(text)) break;
            if (std::strcmp(f->name, "baudRate") == 0)
                return catalogue_.extra(ExtraMsg::WrongSpeed, text);
            return catalogue_.extra(ExtraMsg::WrongPort, labelOf(*f, catalogue_.english()), text);
        case AccessorKind::Hex:
            if (!parseHexByte(text)) return catalogue_.text(Msg::WrongHex);
            break;
        default:
            break;
        }
    }
    if (!toConverterText(communityForWrite(c.snmpCommunity)))
        return catalogue_.extra(ExtraMsg::CommunityNotConvertible, c.snmpCommunity);
    return std::nullopt;
}

bool ConfigProcedures::firmwareIsOld(const std::string& version) const {
    if (version == catalogue_.text(Msg::Unknown)) return true;
    // The major number as a number: 10.0 is newer than 2.0, not older.
    std::size_t i = 0;
    long major = 0;
    while (i < version.size() && std::isdigit(static_cast<unsigned char>(version[i]))) {
        if (major < 1000000) major = major * 10 + (version[i] - '0');
        ++i;
    }
    if (i == 0) return true;
    return major < 2;
}

OpResult ConfigProcedures::fail(IConfigConnection& connection) {
    sink_.show(MessageKind::Error, catalogue_.text(connection.communicationError()));
    connection.close();
    return OpResult::CommunicationFailed;
}

void ConfigProcedures::finish(ConverterConfig& config, IConfigConnection& connection,
                              TypedAccessors& acc) {
    config.firmwareVersion = acc.GetVersion();
    connection.close();
    sink_.show(MessageKind::Plain, catalogue_.text(Msg::Done));
    if (firmwareIsOld(config.firmwareVersion))
        sink_.show(MessageKind::Plain, catalogue_.text(Msg::OldFirmware));
}

OpResult ConfigProcedures::ReadConf(ConverterConfig& config, IConfigConnection& connection) {
    if (!connection.open()) return OpResult::NotOpened;
    TypedAccessors acc(connection.link(), sink_, catalogue_);
    for (const FieldEntry* f : readOrder()) {
        int ok = 0;
        if (f->rule == Rule::Text) {
            std::string& out = textMember(*f, config);
            switch (f->kind) {
            case AccessorKind::Mac:
                ok = acc.GetMac(f->first, out);
                break;
            case AccessorKind::Ipv4:
                ok = acc.GetIp(f->first, out);
                break;
            case AccessorKind::Word:
                ok = acc.GetWord(f->first, out);
                break;
            case AccessorKind::Hex:
                ok = acc.GetHex(f->first, out);
                break;
            default:
                break;
            }
        } else if (f->rule == Rule::Community) {
            std::uint8_t length = 0;
            ok = acc.GetByte(f->first, length);
            std::string community;
            const std::size_t n = std::min<std::size_t>(length, kCommunityMaxLength);
            for (std::size_t i = 0; ok && i < n; ++i) {
                std::uint8_t ch = 0;
                ok = acc.GetByte(static_cast<std::uint8_t>(f->first + 1 + i), ch);
                community += static_cast<char>(ch);
            }
            if (ok) textMember(*f, config) = fromConverterText(community);
        } else {
            std::uint8_t value = 0;
            ok = acc.GetByte(f->first, value);
            if (ok) applyRegisterValue(*f, value, config);
        }
        if (!ok) return fail(connection);
    }
    finish(config, connection, acc);
    return OpResult::Ok;
}

OpResult ConfigProcedures::WriteConf(ConverterConfig& config, IConfigConnection& connection) {
    // A typo must never leave the converter half-written: refuse before anything is sent.
    if (auto problem = checkWritable(config)) {
        sink_.show(MessageKind::Error, *problem);
        return OpResult::BadInput;
    }
    if (!connection.open()) return OpResult::NotOpened;
    TypedAccessors acc(connection.link(), sink_, catalogue_);
    if (config.enableMac && !acc.SetMac(macField().first, config.macAddress))
        return fail(connection);
    config.snmpCommunity = communityForWrite(config.snmpCommunity);
    // Checked above: every character has its byte in the converter's code page.
    const std::string community = toConverterText(config.snmpCommunity).value_or("");
    for (const FieldEntry* f : writeOrder()) {
        int ok = 1;
        if (f->rule == Rule::Text) {
            const std::string& text = textMember(*f, config);
            switch (f->kind) {
            case AccessorKind::Ipv4:
                ok = acc.SetIp(f->first, text);
                break;
            case AccessorKind::Word:
                ok = acc.SetWord(f->first, text);
                break;
            case AccessorKind::Hex:
                ok = acc.SetHex(f->first, text);
                break;
            default:
                break;
            }
        } else if (f->rule == Rule::Community) {
            ok = acc.SetByte(f->first, static_cast<std::uint8_t>(community.size()));
        } else if (f->rule == Rule::CommunityChars) {
            for (std::size_t i = 0; ok && i < community.size(); ++i)
                ok = acc.SetByte(static_cast<std::uint8_t>(f->first + i),
                                 static_cast<std::uint8_t>(community[i]));
        } else if (auto value = registerValueFor(*f, config)) {
            ok = acc.SetByte(f->first, *value);
        }
        if (!ok) return fail(connection);
    }
    finish(config, connection, acc);
    return OpResult::Ok;
}

} // namespace varnadex
