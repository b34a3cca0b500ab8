#include "config/Fields.h"

#include "config/RegisterMap.h"

#include <algorithm>
#include <cstring>

namespace varnadex {
namespace {

using C = ConverterConfig;
using enum AccessorKind;

// A flag or a radio group: the dialogs offer 0 and 1, the register holds a byte.
constexpr int kByteMax = 255;

constexpr Field flag(const char* name, int C::*member, std::uint8_t reg, Rule rule, int readStep,
                     int writeStep, FieldLabel label, const char* values) {
    return {.name = name,
            .member = member,
            .uses = InFile | Sent,
            .first = reg,
            .count = 1,
            .kind = Byte,
            .rule = rule,
            .readStep = readStep,
            .writeStep = writeStep,
            .check = FileCheck::Range,
            .high = kByteMax,
            .dialogHigh = 1,
            .label = label,
            .values = values};
}

// An IPv4 address; one that a scan reads has its heading in the scan's table.
constexpr Field address(const char* name, std::string C::*member, std::uint8_t first, int readStep,
                        int writeStep, FieldLabel label, const char* scanHeading = nullptr) {
    return {.name = name,
            .member = member,
            .uses = InFile | Sent | (scanHeading ? Scanned : 0u),
            .first = first,
            .count = 4,
            .kind = Ipv4,
            .rule = Rule::Text,
            .readStep = readStep,
            .writeStep = writeStep,
            .label = label,
            .scanHeading = scanHeading};
}

constexpr Field word(const char* name, std::string C::*member, std::uint8_t first, int readStep,
                     int writeStep, FieldLabel label) {
    return {.name = name,
            .member = member,
            .uses = InFile | Sent,
            .first = first,
            .count = 2,
            .kind = Word,
            .rule = Rule::Text,
            .readStep = readStep,
            .writeStep = writeStep,
            .label = label};
}

// The record's fields in the order the configuration file lists them. Registers, kinds and
// rules are the converter's; the steps are the orders Read Conf and Write Conf have always
// walked (reading takes the MAC first and the timers before the modes; writing puts the
// community's length before the working mode, its characters after the pattern character, and
// the network delay last).
constexpr Field kFields[] = {
    {.name = "macAddress",
     .member = &C::macAddress,
     .uses = InFile | Sent | OnlyWithMac | Scanned,
     .first = 10,
     .count = 6,
     .kind = Mac,
     .rule = Rule::Text,
     .readStep = 1,
     .label = {"MAC Address", "MAC azonosító"},
     .scanHeading = "MAC"},
    address("ipAddress", &C::ipAddress, 16, 2, 1, {"IP Address", "IP cím"}, "IP"),
    address("subnetMask", &C::subnetMask, 20, 3, 2, {"Subnet Mask", "Alhálózati maszk"}, "MASK"),
    address("gatewayAddress", &C::gatewayAddress, 24, 4, 3,
            {"Gateway IP Address", "Átjáró IP címe"}, "GATEWAY"),
    address("remoteAddress", &C::remoteAddress, 28, 5, 4,
            {"Remote Address", "Távoli eszköz IP címe"}),
    word("remotePort", &C::remotePort, 32, 9, 8, {"Remote Port", "Távoli port"}),
    word("localPort", &C::localPort, 34, 10, 9, {"Local Port", "Helyi port"}),
    address("remoteSubnetMask", &C::remoteSubnetMask, 36, 6, 5,
            {"Remote Subnet Mask", "Távoli alhálózati maszk"}),
    {.name = "baudRate",
     .member = &C::baudRate,
     .uses = InFile | Sent,
     .first = 40,
     .count = 2,
     .kind = Word,
     .rule = Rule::Text,
     .readStep = 11,
     .writeStep = 10,
     .speed = true,
     .label = {"Port Speed (b/s)", "Portsebeség (b/s)"}},
    {.name = "dataFormat",
     .member = &C::dataFormat,
     .uses = InFile | Sent,
     .first = 44,
     .count = 1,
     .kind = Byte,
     .rule = Rule::DataFormat,
     .readStep = 12,
     .writeStep = 11,
     .check = FileCheck::DataFormat,
     .label = {"Data Format", "Adatformátum"}},
    // Rides on dataFormat's register: the code that the text stands for, or the converter's
    // own when no text has it.
    {.name = "dataFormatCode",
     .member = &C::dataFormatCode,
     .uses = InFile | Optional,
     .check = FileCheck::Range,
     .high = kByteMax,
     .dialogHigh = kByteMax,
     .label = {"Data format code", "Adatformátum kódja"},
     .values = "the converter's code of the data format; one no data format has is written back "
               "as it is"},
    flag("rtsCtsFlowControl", &C::rtsCtsFlowControl, 46, Rule::Flag, 13, 12,
         {"Flow Control (RTS/CTS)", "Torlódáskezelés (RTS/CTS)"}, "0 off, 1 on"),
    flag("dtrMode", &C::dtrMode, 51, Rule::Flag, 17, 14, {"DTR/DSR Signal", "DTR/DSR jelek"},
         "0 Always High, 1 Depends on Conn State"),
    flag("crlfMode", &C::crlfMode, 53, Rule::Flag, 18, 15,
         {"Duplicated New Line (ASCII 13, 10)", "Dupla soremelés (ASCII 13, 10)"},
         "0 Keep, 1 Trim Second Character"),
    flag("workingMode", &C::workingMode, 60, Rule::FlagFFOff, 21, 25,
         {"Working Mode", "Működési mód"}, "0 Normal, 1 Command"),
    flag("protocol", &C::protocol, 59, Rule::FlagFFOff, 20, 21, {"Protocol", "Protokoll"},
         "0 TCP/IP, 1 UDP/IP"),
    flag("tcpMode", &C::tcpMode, 52, Rule::Flag, 19, 16, {"TCP Mode", "TCP mód"},
         "0 Client, 1 Server"),
    {.name = "networkTimeout",
     .member = &C::networkTimeout,
     .uses = InFile | Sent,
     .first = 57,
     .count = 1,
     .kind = Byte,
     .rule = Rule::Plain,
     .readStep = 16,
     .writeStep = 20,
     .check = FileCheck::Range,
     .high = kByteMax,
     .dialogLow = 15,
     .dialogHigh = 255,
     .label = {"Network Timeout (sec)", "Hálózati időtúllépés (mp)"}},
    // Seconds x 10 in one byte: 25 s at most.
    {.name = "keepAliveTimer",
     .member = &C::keepAliveTimer,
     .uses = InFile | Sent,
     .first = 56,
     .count = 1,
     .kind = Byte,
     .rule = Rule::KeepAlive,
     .readStep = 15,
     .writeStep = 19,
     .check = FileCheck::Range,
     .high = kByteMax / 10,
     .dialogHigh = 10,
     .label = {"Keep-alive Timer (sec)", "Életjel küldés időköze (mp)"},
     .values = "0 disables keep-alive"},
    flag(
        "bufferHandling", &C::bufferHandling, 58, Rule::Flag, 24, 18,
        {"Buffer Handling on New Network Connection", "Puffer kezelése új kapcsolat felépítésekor"},
        "0 Keep Data, 1 Clear Buffer"),
    // Only Small, Medium and Huge have a register value; any other would not be written.
    {.name = "networkDelay",
     .member = &C::networkDelay,
     .uses = InFile | Sent,
     .first = 54,
     .count = 1,
     .kind = Byte,
     .rule = Rule::NetworkDelay,
     .readStep = 22,
     .writeStep = 29,
     .check = FileCheck::Range,
     .high = 2,
     .dialogHigh = 2,
     .label = {"Network Delay", "Hálózati késleltetés"},
     .values = "0 Small, 1 Medium, 2 Huge"},
    flag("optimizeFor", &C::optimizeFor, 55, Rule::Flag, 23, 17, {"Optimized for", "Optimalizálás"},
         "0 Minimal Traffic, 1 Fast Packet Forward"),
    flag("icmpEchoEnabled", &C::icmpEchoEnabled, 50, Rule::Flag, 14, 13,
         {"Enable ICMP Echo Reply (ping)", "ICMP Echo Reply (ping) engedélyezése"}, "0 off, 1 on"),
    flag("patternCharEnabled", &C::patternCharEnabled, 100, Rule::Flag, 25, 26,
         {"Pattern char (HEX) enabled", "Minta karakter (HEX) engedélyezve"}, "0 off, 1 on"),
    {.name = "patternChar",
     .member = &C::patternChar,
     .uses = InFile | Sent,
     .first = 101,
     .count = 1,
     .kind = Hex,
     .rule = Rule::Text,
     .readStep = 26,
     .writeStep = 27,
     .check = FileCheck::MaxLength,
     .textLimit = 2,
     .label = {"Pattern char (HEX)", "Minta karakter (HEX)"}},
    flag("snmpReadEnabled", &C::snmpReadEnabled, 70, Rule::FlagFFOff, 27, 22,
         {"Enable Read Config (SNMP Get)", "Távoli olvasás engedélyezése (SNMP Get)"},
         "0 off, 1 on"),
    flag("snmpWriteEnabled", &C::snmpWriteEnabled, 71, Rule::FlagFFOff, 28, 23,
         {"Enable Write Config (SNMP Set)", "Távoli írás engedélyezése (SNMP Set)"}, "0 off, 1 on"),
    {.name = "snmpCommunity",
     .member = &C::snmpCommunity,
     .uses = InFile | Sent,
     .first = 80,
     .count = 1,
     .kind = Byte,
     .rule = Rule::Community,
     .readStep = 29,
     .writeStep = 24,
     .charsStep = 28,
     .check = FileCheck::MaxLength,
     .textLimit = kCommunityMaxLength,
     .label = {"Community String (Password)", "Community (Jelszó)"}},
    address("snmpFilterAddress", &C::snmpFilterAddress, 72, 7, 6,
            {"Network IP Address", "Hálózat IP címe"}),
    address("snmpFilterMask", &C::snmpFilterMask, 76, 8, 7, {"Network Mask", "Hálózati maszk"}),
    {.name = "firmwareVersion",
     .member = &C::firmwareVersion,
     .uses = Reported,
     .label = {"Firmware Version", "Firmware verzió"},
     .values = "what the converter reported when it was read; never written to it"},
    {.name = "comPort", .member = &C::comPort, .uses = AccessSetting, .column = "port"},
    {.name = "agentHost", .member = &C::agentHost, .uses = AccessSetting, .column = "host"},
    {.name = "accessCommunity",
     .member = &C::accessCommunity,
     .uses = AccessSetting,
     .column = "community"},
    {.name = "accessMode", .member = &C::accessMode, .uses = AccessSetting},
    {.name = "enableMac", .member = &C::enableMac, .uses = AccessSetting},
};

// The orders have no gaps and no step twice: each is checked where it is declared.
constexpr bool stepsAreAnOrder(int Field::*step) {
    int count = 0, sum = 0;
    for (const Field& f : kFields) {
        if (f.*step == 0) continue;
        ++count;
        sum += f.*step;
        for (const Field& g : kFields)
            if (&g != &f && g.*step == f.*step) return false;
    }
    if (step == &Field::writeStep)
        for (const Field& f : kFields)
            if (f.charsStep != 0) ++count, sum += f.charsStep;
    return sum == count * (count + 1) / 2;
}
static_assert(stepsAreAnOrder(&Field::readStep), "Read Conf's steps");
static_assert(stepsAreAnOrder(&Field::writeStep), "Write Conf's steps");

} // namespace

std::span<const Field> fields() {
    return kFields;
}

const Field* findField(std::string_view name) {
    for (const Field& f : kFields)
        if (name == f.name) return &f;
    return nullptr;
}

const Field* fieldForColumn(std::string_view column) {
    for (const Field& f : kFields)
        if ((uses(f, InFile) || f.column || uses(f, Reported)) && column == columnOf(f)) return &f;
    return nullptr;
}

const std::string* textOf(const Field& f, const ConverterConfig& c) {
    const auto* p = std::get_if<std::string C::*>(&f.member);
    return p ? &(c.**p) : nullptr;
}

std::string* textOf(const Field& f, ConverterConfig& c) {
    const auto* p = std::get_if<std::string C::*>(&f.member);
    return p ? &(c.**p) : nullptr;
}

int numberOf(const Field& f, const ConverterConfig& c) {
    if (const auto* p = std::get_if<int C::*>(&f.member)) return c.**p;
    if (const auto* p = std::get_if<std::uint8_t C::*>(&f.member)) return c.**p;
    return 0;
}

void setNumber(const Field& f, ConverterConfig& c, int value) {
    if (const auto* p = std::get_if<int C::*>(&f.member)) c.** p = value;
    if (const auto* p = std::get_if<std::uint8_t C::*>(&f.member))
        c.** p = static_cast<std::uint8_t>(value);
}

void copyField(const Field& f, const ConverterConfig& from, ConverterConfig& to) {
    std::visit([&](auto member) { to.*member = from.*member; }, f.member);
}

void layAccessSettings(const ConverterConfig& access, ConverterConfig& record) {
    for (const Field& f : kFields)
        if (uses(f, AccessSetting) || uses(f, Reported)) copyField(f, access, record);
}

std::optional<Problem> settleFileFields(ConverterConfig& c, std::span<const Field* const> given) {
    const Field* code = nullptr;
    for (const Field& f : kFields)
        if (f.member == FieldMember(&C::dataFormatCode)) code = &f;
    const bool codeGiven = std::find(given.begin(), given.end(), code) != given.end();
    const std::uint8_t textCode = dataFormatCodeFor(c.dataFormat).value_or(c.dataFormatCode);
    if (codeGiven && c.dataFormatCode != textCode && dataFormatTextFor(c.dataFormatCode)) {
        const Field& text =
            *std::find_if(std::begin(kFields), std::end(kFields),
                          [](const Field& f) { return f.rule == Rule::DataFormat; });
        return Problem(ExtraMsg::DataFormatConflict,
                       {text.name, c.dataFormat, code->name, std::to_string(c.dataFormatCode)});
    }
    if (!codeGiven || dataFormatTextFor(c.dataFormatCode)) c.dataFormatCode = textCode;
    return std::nullopt;
}

void settleSetField(const Field& f, ConverterConfig& c) {
    if (f.rule == Rule::DataFormat) {
        if (auto code = dataFormatCodeFor(c.dataFormat)) c.dataFormatCode = *code;
    } else if (f.member == FieldMember(&C::dataFormatCode)) {
        // A code no list entry has is the converter's own: its text stays as it was.
        if (auto known = dataFormatTextFor(c.dataFormatCode)) c.dataFormat = *known;
    }
}

// --- register values --------------------------------------------------------------------------

void applyRegisterValue(const Field& f, std::uint8_t value, ConverterConfig& c) {
    switch (f.rule) {
    case Rule::Flag:
        setNumber(f, c, value != 0 ? 1 : 0);
        break;
    case Rule::FlagFFOff:
        setNumber(f, c, value != 0 && value != 255 ? 1 : 0);
        break;
    case Rule::DataFormat: {
        const std::uint8_t code = value == 255 ? 0 : value;
        c.dataFormatCode = code;
        if (auto text = dataFormatTextFor(code)) c.dataFormat = *text;
        break;
    }
    case Rule::NetworkDelay:
        setNumber(f, c, value == 1 ? 0 : value == 5 ? 1 : 2);
        break;
    case Rule::KeepAlive:
        setNumber(f, c, value / 10);
        break;
    case Rule::Plain:
        setNumber(f, c, value);
        break;
    case Rule::None:
    case Rule::Text:
    case Rule::Community:
        break;
    }
}

std::optional<std::uint8_t> registerValueFor(const Field& f, const ConverterConfig& c) {
    const int v = numberOf(f, c);
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
    case Rule::None:
    case Rule::Text:
    case Rule::Community:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace varnadex
