#include "config/ConfigProcedures.h"
#include "config/FieldText.h"
#include "config/RegisterMap.h"
#include "config/TypedAccessors.h"
#include "support/MemoryLink.h"
#include "support/RecordingSink.h"

#include <gtest/gtest.h>

namespace varnadex {
namespace {

using test::MemoryLink;
using test::RecordingSink;

TEST(FieldText, Ipv4IsFourNumbersUpTo255) {
    struct Row {
        const char* text;
        bool ok;
        std::array<std::uint8_t, 4> bytes;
    };
    const Row rows[] = {
        {"192.168.255.1", true, {192, 168, 255, 1}},
        {" 10 . 0 .\t0. 1 ", true, {10, 0, 0, 1}},
        {"0.0.0.0", true, {0, 0, 0, 0}},
        {"1..2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {"1.2.3.-1", false, {}},
        {"1.2.3", false, {}},
        {"1.2.3.300", false, {}},
        {"1.2.3.256", false, {}},
        {"", false, {}},
        {"a.b.c.d", false, {}},
        {"1.2.3.4x", false, {}},
        {"1.2.3.99999999999999999999", false, {}},
    };
    for (const auto& r : rows) {
        auto got = parseIpv4(r.text);
        EXPECT_EQ(got.has_value(), r.ok) << r.text;
        if (got && r.ok) {
            EXPECT_EQ(*got, r.bytes) << r.text;
        }
    }
}

TEST(FieldText, WordsMacsAndHex) {
    EXPECT_EQ(parseWord("9600"), 9600);
    EXPECT_EQ(parseWord(" 65535 "), 65535);
    EXPECT_EQ(parseWord("0"), 0);
    for (const char* bad : {"70000", "65536", "-1", "-2", "", "12a", "1 2", "+5"})
        EXPECT_FALSE(parseWord(bad)) << bad;

    auto mac = parseMac("00a0b1c2d3e4");
    ASSERT_TRUE(mac);
    EXPECT_EQ(formatMac(*mac), "00A0B1C2D3E4");
    for (const char* bad : {"00A0B1", "00A0B1ZZD3E4", "00A0B1C2D3E", "00A0B1C2D3E45", ""})
        EXPECT_FALSE(parseMac(bad)) << bad;

    EXPECT_EQ(parseHexByte("7"), 0x07);
    EXPECT_EQ(parseHexByte("7e"), 0x7E);
    for (const char* bad : {"7G", "123", "", "g", " 7"})
        EXPECT_FALSE(parseHexByte(bad)) << bad;

    EXPECT_EQ(formatVersion(2, 5), "2.5");
    EXPECT_EQ(formatVersion(10, 0), "10.0");
}

// Reading one register value into the record, by the converter's encodings.
TEST(RegisterMap, ReadRules) {
    struct Row {
        const char* field;
        std::uint8_t value;
        int expected; // the member's value after the read
    };
    const Row rows[] = {
        {"protocol", 255, 0},          {"protocol", 2, 1},          {"protocol", 0, 0},
        {"workingMode", 255, 0},       {"snmpReadEnabled", 255, 0}, {"snmpWriteEnabled", 1, 1},
        {"rtsCtsFlowControl", 255, 1}, {"icmpEchoEnabled", 0, 0},   {"patternCharEnabled", 7, 1},
        {"networkDelay", 1, 0},        {"networkDelay", 5, 1},      {"networkDelay", 10, 2},
        {"networkDelay", 0, 2},        {"networkDelay", 7, 2},      {"keepAliveTimer", 59, 5},
        {"keepAliveTimer", 255, 25},   {"keepAliveTimer", 100, 10}, {"networkTimeout", 14, 14},
    };
    for (const auto& r : rows) {
        ConverterConfig c;
        c.protocol = c.workingMode = 7; // something a read must overwrite
        const Field* f = findField(r.field);
        ASSERT_NE(f, nullptr) << r.field;
        applyRegisterValue(*f, r.value, c);
        int got = std::visit(
            [&](auto member) -> int {
                if constexpr (std::is_same_v<decltype(member), std::string ConverterConfig::*>)
                    return -1;
                else
                    return static_cast<int>(c.*member);
            },
            f->member);
        EXPECT_EQ(got, r.expected) << r.field << " <- " << int(r.value);
    }
}

TEST(RegisterMap, DataFormatCodes) {
    const Field& f = *findField("dataFormat");
    ConverterConfig c;
    c.dataFormat = "7E1";
    applyRegisterValue(f, 255, c); // 255 is taken as 0
    EXPECT_EQ(c.dataFormat, "8N1");
    EXPECT_EQ(c.dataFormatCode, 0);

    c.dataFormat = "7E1";
    applyRegisterValue(f, 0x20, c); // unknown code: text stays, code kept for the next write
    EXPECT_EQ(c.dataFormat, "7E1");
    EXPECT_EQ(c.dataFormatCode, 0x20);
    EXPECT_EQ(registerValueFor(f, c), 0x20);

    // One-way pairs: 7M1 and 8M1 write the codes of 7N2 and 8N2 and read back as those.
    EXPECT_EQ(dataFormatCodeFor("7M1"), 0x10);
    EXPECT_EQ(dataFormatCodeFor("8M1"), 0x40);
    EXPECT_EQ(dataFormatTextFor(0x10), "7N2");
    EXPECT_EQ(dataFormatTextFor(0x40), "8N2");
    EXPECT_EQ(dataFormatCodeFor("8E1"), 0xC1);
    EXPECT_FALSE(dataFormatCodeFor("8n1")); // case-sensitive
    EXPECT_EQ(dataFormatTexts().size(), 11u);
    for (const char* text : dataFormatTexts())
        EXPECT_TRUE(dataFormatCodeFor(text)) << text;
}

TEST(RegisterMap, WriteRulesAndImage) {
    ConverterConfig c;
    c.keepAliveTimer = 10;
    c.networkDelay = 3;
    c.baudRate = "57600";
    c.snmpCommunity = "abcdefghijkl";
    EXPECT_EQ(registerValueFor(*findField("keepAliveTimer"), c), 100);
    EXPECT_FALSE(registerValueFor(*findField("networkDelay"), c));
    auto image = registerImage(c);
    EXPECT_EQ(image[40], 0xE1);
    EXPECT_EQ(image[41], 0x00);
    EXPECT_EQ(image[80], 10);
    EXPECT_EQ(image[90], 'j');
    EXPECT_EQ(image[91], 0);
    auto defaults = registerImage(ConverterConfig{});
    EXPECT_EQ(defaults[40], 0x25);
    EXPECT_EQ(defaults[41], 0x80);
    EXPECT_EQ(defaults[10], 0x00);
    EXPECT_EQ(defaults[12], 0xC2);
    EXPECT_EQ(defaults[101], 0x7E);
}

class Procedures : public ::testing::Test {
protected:
    Procedures() { catalogue.fill(1); }
    MessageCatalogue catalogue;
    RecordingSink sink;
    MemoryLink link;
    ConfigProcedures procedures{sink, catalogue};
};

// The order on the wire is pinned end to end, through both transports.
TEST_F(Procedures, ReadTakesTheCommunitysLengthAndClosesWhatItOpened) {
    link.regs = registerImage(ConverterConfig{});
    link.regs[80] = 3;
    ConverterConfig c;
    ASSERT_EQ(procedures.ReadConf(c, link), OpResult::Ok);
    EXPECT_EQ(link.log.end()[-2], "r83"); // three characters, then the version
    EXPECT_EQ(c.snmpCommunity, "kel");
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Done"});
    EXPECT_EQ(link.opens, 1);
    EXPECT_EQ(link.closes, 1);
}

TEST_F(Procedures, WriteEncodings) {
    link.regs = registerImage(ConverterConfig{}); // the MAC address is not written
    ConverterConfig c;
    c.keepAliveTimer = 10;
    c.networkDelay = 1;
    c.snmpCommunity = "abcdefghijkl";
    c.dataFormat = "7M1";
    c.dataFormatCode = 0x10;
    c.baudRate = "9600";
    ASSERT_EQ(procedures.WriteConf(c, link), OpResult::Ok);
    EXPECT_EQ(c.snmpCommunity, "abcdefghij"); // cut in the record itself
    EXPECT_EQ(link.regs[80], 10);
    EXPECT_EQ(link.regs[90], 'j');
    EXPECT_EQ(link.regs[56], 100);
    EXPECT_EQ(link.regs[54], 5);
    EXPECT_EQ(link.regs[44], 0x10);
    EXPECT_EQ(link.regs[40], 0x25);
    EXPECT_EQ(link.regs[41], 0x80);

    // Reading it back: 7M1 comes back as 7N2, the rest as written.
    ConverterConfig back;
    ASSERT_EQ(procedures.ReadConf(back, link), OpResult::Ok);
    c.dataFormat = "7N2";
    c.firmwareVersion = back.firmwareVersion;
    EXPECT_EQ(back, c);
}

TEST_F(Procedures, NetworkDelayIsWrittenLastAndOnlyWithinItsValues) {
    ConverterConfig c;
    c.networkDelay = 2;
    ASSERT_EQ(procedures.WriteConf(c, link), OpResult::Ok);
    EXPECT_EQ(link.log.end()[-2], "w54=10"); // Huge, and the last write
    link.log.clear();
    c.networkDelay = 3;
    link.regs[54] = 42;
    ASSERT_EQ(procedures.WriteConf(c, link), OpResult::Ok);
    EXPECT_EQ(link.regs[54], 42);
    for (const auto& op : link.log)
        EXPECT_NE(op.rfind("w54=", 0), 0u) << op;
}

TEST_F(Procedures, FailureAtPatternCharKeepsWhatWasReadAndNothingElse) {
    ConverterConfig source;
    source.ipAddress = "10.1.2.3";
    source.remotePort = "4001";
    source.dataFormat = "8E1";
    source.dataFormatCode = 0xC1;
    source.protocol = 1;
    source.patternChar = "41";
    source.snmpReadEnabled = 0;
    source.snmpCommunity = "secret";
    source.macAddress = "0050C2000001";
    link.regs = registerImage(source);
    link.failAddress = 101;

    ConverterConfig c;
    EXPECT_EQ(procedures.ReadConf(c, link), OpResult::CommunicationFailed);
    EXPECT_EQ(c.macAddress, "0050C2000001");
    EXPECT_EQ(c.ipAddress, "10.1.2.3");
    EXPECT_EQ(c.remotePort, "4001");
    EXPECT_EQ(c.dataFormat, "8E1");
    EXPECT_EQ(c.protocol, 1);
    EXPECT_EQ(c.patternChar, "7E");
    EXPECT_EQ(c.snmpReadEnabled, 1);
    EXPECT_EQ(c.snmpCommunity, "kelvin");
    EXPECT_EQ(c.firmwareVersion, "");
    EXPECT_EQ(link.log.back(), "r100"); // nothing asked after the failure
}

TEST_F(Procedures, CommunityLengthAboveTenReadsTen) {
    link.regs = registerImage(ConverterConfig{});
    link.regs[80] = 12;
    for (int i = 0; i < 12; ++i)
        link.regs[81 + i] = static_cast<std::uint8_t>('a' + i);
    ConverterConfig c;
    ASSERT_EQ(procedures.ReadConf(c, link), OpResult::Ok);
    EXPECT_EQ(c.snmpCommunity, "abcdefghij");
    link.regs[80] = 0;
    link.log.clear();
    ASSERT_EQ(procedures.ReadConf(c, link), OpResult::Ok);
    EXPECT_EQ(c.snmpCommunity, "");
    EXPECT_EQ(std::count(link.log.begin(), link.log.end(), "r81"), 0);
}

TEST_F(Procedures, VersionCheck) {
    struct Row {
        const char* version;
        bool old;
    };
    for (auto r : {Row{"1.9", true}, Row{"2.0", false}, Row{"3.4", false}, Row{"10.0", false},
                   Row{"0.5", true}, Row{"Unknown", true}, Row{"", true}, Row{"v2", true}}) {
        link.version = r.version;
        sink.entries.clear();
        ConverterConfig c;
        ASSERT_EQ(procedures.ReadConf(c, link), OpResult::Ok);
        EXPECT_EQ(c.firmwareVersion, r.version);
        std::vector<std::string> expected{"Done"};
        if (r.old) expected.push_back("The converter uses old fimrware, please update it.");
        EXPECT_EQ(sink.texts(), expected) << r.version;
    }
    MessageCatalogue hu;
    hu.fill(0);
    ConfigProcedures hungarian(sink, hu);
    EXPECT_TRUE(hungarian.firmwareIsOld("Ismeretlen"));
    EXPECT_FALSE(hungarian.firmwareIsOld("2.2"));
}

TEST_F(Procedures, BadTextIsRefusedBeforeAnythingIsSent) {
    struct Row {
        void (*edit)(ConverterConfig&);
        const char* message;
    };
    const Row rows[] = {
        {[](ConverterConfig& c) { c.remoteAddress = "1..2.3"; },
         "Wrong IP address in \"Remote Address\": \"1..2.3\". Enter four numbers from 0 to 255 "
         "separated by dots."},
        {[](ConverterConfig& c) { c.snmpFilterMask = "1.2.3.4.5"; }, nullptr},
        {[](ConverterConfig& c) { c.localPort = "70000"; },
         "Wrong number in \"Local Port\": \"70000\". Enter a whole number from 0 to 65535."},
        {[](ConverterConfig& c) { c.remotePort = "-2"; }, nullptr},
        {[](ConverterConfig& c) { c.baudRate = "fast"; },
         "Wrong port speed: \"fast\". Enter a whole number from 0 to 65535."},
        {[](ConverterConfig& c) { c.patternChar = "7G"; }, "Wrong HEX number!"},
        {[](ConverterConfig& c) { c.patternChar = ""; }, "Wrong HEX number!"},
        {[](ConverterConfig& c) { c.patternChar = "123"; }, "Wrong HEX number!"},
        {[](ConverterConfig& c) {
             c.enableMac = 1;
             c.macAddress = "00A0B1ZZD3E4";
         },
         "Wrong MAC Address!"},
        {[](ConverterConfig& c) {
             c.enableMac = 1;
             c.macAddress = "";
         },
         "Wrong MAC Address!"},
    };
    for (const auto& r : rows) {
        link.log.clear();
        link.opens = 0;
        sink.entries.clear();
        ConverterConfig c;
        r.edit(c);
        EXPECT_EQ(procedures.WriteConf(c, link), OpResult::BadInput);
        EXPECT_TRUE(link.log.empty());
        EXPECT_EQ(link.opens, 0);
        ASSERT_EQ(sink.entries.size(), 1u);
        EXPECT_EQ(sink.entries[0].kind, MessageKind::Error);
        if (r.message) {
            EXPECT_EQ(sink.entries[0].text, r.message);
        }
    }
    // Without /ENABLEMAC the MAC text is neither checked nor written.
    ConverterConfig c;
    c.macAddress = "garbage";
    link.log.clear();
    EXPECT_EQ(procedures.WriteConf(c, link), OpResult::Ok);
    for (const auto& op : link.log) {
        if (op[0] != 'w') continue;
        int address = std::stoi(op.substr(1));
        EXPECT_TRUE(address < 10 || address > 15) << op;
    }
}

TEST_F(Procedures, WriteFailureMidwayStopsAndKeepsVersion) {
    link.failAddress = 59;
    ConverterConfig c;
    c.firmwareVersion = "old";
    c.snmpCommunity = "abcdefghijkl";
    EXPECT_EQ(procedures.WriteConf(c, link), OpResult::CommunicationFailed);
    EXPECT_EQ(c.firmwareVersion, "old");
    EXPECT_EQ(c.snmpCommunity, "abcdefghij"); // the cut stays
    EXPECT_EQ(link.log.back(), "w57=60");
    EXPECT_EQ(sink.texts().size(), 1u);
    EXPECT_EQ(link.closes, 1);
}

TEST_F(Procedures, TransportThatCannotOpenLeavesEverything) {
    link.openOk = false;
    ConverterConfig c;
    const ConverterConfig before = c;
    EXPECT_EQ(procedures.ReadConf(c, link), OpResult::NotOpened);
    EXPECT_EQ(procedures.WriteConf(c, link), OpResult::NotOpened);
    EXPECT_EQ(c, before);
    // The transport's account, said by the procedure, once for each.
    EXPECT_EQ(sink.texts(), (std::vector<std::string>{"Couldn't open communication port!",
                                                      "Couldn't open communication port!"}));
    EXPECT_TRUE(link.log.empty());
}

// The conversions of the typed accessors, whatever the transport: each text as its registers
// receive it, and a text that does not convert sends nothing at all.
TEST(Accessors, TextConversionsAndRefusals) {
    struct Row {
        const char* name;
        int (TypedAccessors::*set)(std::uint8_t, const std::string&);
        const char* text;
        int result;
        std::vector<std::uint8_t> written; // registers 100 on; empty: nothing may be written
    };
    using T = TypedAccessors;
    const Row rows[] = {
        {"MAC lower case", &T::SetMac, "00a0b1c2d3e4", 1, {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}},
        {"MAC short", &T::SetMac, "00A0B1", 0, {}},
        {"MAC bad fourth pair", &T::SetMac, "00A0B1ZZD3E4", 0, {}},
        {"MAC empty", &T::SetMac, "", 0, {}},
        {"hex one digit", &T::SetHex, "7", 1, {0x07}},
        {"hex lower case", &T::SetHex, "7e", 1, {0x7E}},
        {"hex bad digit", &T::SetHex, "7G", 0, {}},
        {"hex too long", &T::SetHex, "123", 0, {}},
        {"hex empty", &T::SetHex, "", 0, {}},
        {"word 9600", &T::SetWord, "9600", 1, {0x25, 0x80}},
        {"word 65535", &T::SetWord, "65535", 1, {0xFF, 0xFF}},
        {"word blanks", &T::SetWord, " 57600 ", 1, {0xE1, 0x00}},
        {"word 70000", &T::SetWord, "70000", 0, {}},
        {"word -1", &T::SetWord, "-1", 0, {}},
        {"word -2", &T::SetWord, "-2", 0, {}},
        {"word 12ab", &T::SetWord, "12ab", 0, {}},
        {"IPv4", &T::SetIp, "192.168.255.1", 1, {0xC0, 0xA8, 0xFF, 0x01}},
        {"IPv4 blanks", &T::SetIp, " 10 . 0 .0. 7", 1, {10, 0, 0, 7}},
        {"IPv4 three parts", &T::SetIp, "1.2.3", 0, {}},
        {"IPv4 above 255", &T::SetIp, "1.2.3.300", 0, {}},
        {"IPv4 empty part", &T::SetIp, "1..2.3", 0, {}},
        {"IPv4 five parts", &T::SetIp, "1.2.3.4.5", 0, {}},
        {"IPv4 negative", &T::SetIp, "1.2.3.-1", 0, {}},
        {"IPv4 empty", &T::SetIp, "", 0, {}},
    };
    for (const auto& r : rows) {
        MemoryLink link;
        TypedAccessors acc(link);
        EXPECT_EQ((acc.*r.set)(100, r.text), r.result) << r.name;
        EXPECT_EQ(link.log.size(), r.written.size()) << r.name;
        EXPECT_TRUE(std::equal(r.written.begin(), r.written.end(), link.regs.begin() + 100))
            << r.name;
    }

    MemoryLink link;
    TypedAccessors acc(link);
    EXPECT_EQ(acc.SetMac(252, "00a0b1c2d3e4"), 1); // wraps at 255
    EXPECT_EQ(link.log, (std::vector<std::string>{"w252=0", "w253=160", "w254=177", "w255=194",
                                                  "w0=211", "w1=228"}));
    std::string text = "keep";
    link.failAt = link.log.size() + 2;
    EXPECT_EQ(acc.GetIp(16, text), 0);
    EXPECT_EQ(text, "keep"); // no partial "0.0." left behind
    EXPECT_EQ(acc.GetMac(10, text), 0);
    EXPECT_EQ(text, "keep");
}

} // namespace
} // namespace varnadex
