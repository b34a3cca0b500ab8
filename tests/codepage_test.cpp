#include "config/CodePage.h"
#include "config/ConfigProcedures.h"
#include "config/RegisterMap.h"
#include "support/MemoryLink.h"
#include "support/RecordingSink.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace varnadex {
namespace {

// The table against the C library's own Windows-1250 converter, byte by byte.
TEST(CodePage, AgreesWithTheSystemConverter) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1250");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no Windows-1250 converter here";
    for (int b = 0x20; b <= 0xFF; ++b) {
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* ip = in;
        char* op = out;
        std::size_t il = 1, ol = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool defined = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1);
        const std::string mine = fromConverterText(std::string(1, in[0]));
        // Undefined bytes read as the C1 control of their number; every byte reads back.
        const char c1[] = {char(0xC2), char(b), 0};
        EXPECT_EQ(mine, defined ? std::string(out, op) : std::string(c1)) << std::hex << b;
        EXPECT_EQ(toConverterText(mine), std::string(1, in[0])) << std::hex << b;
    }
    iconv_close(cd);
}

TEST(CodePage, TextsTheConverterCannotHold) {
    EXPECT_EQ(toConverterText("jelszó"), "jelsz\xF3");
    EXPECT_EQ(toConverterText("Árvíztűrő"), "\xC1rv\xEDzt\xFBr\xF5");
    for (const char* bad : {"日本", "\xC3", "\xC3\x28", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(toConverterText(bad)) << bad;
    EXPECT_EQ(characterCount("Árvíztűrő"), 9u);
    EXPECT_EQ(firstCharacters("Árvíztűrőtükörfúrógép", 10), "Árvíztűrőt");
    EXPECT_EQ(firstCharacters("abc", 10), "abc");
}

class CommunityOnTheConverter : public ::testing::Test {
protected:
    CommunityOnTheConverter() { catalogue.fill(1); }
    MessageCatalogue catalogue;
    test::RecordingSink sink;
    test::MemoryLink link;
    ConfigProcedures procedures{sink, catalogue};
};

TEST_F(CommunityOnTheConverter, AccentedLettersTakeOneRegisterEach) {
    link.regs = registerImage(ConverterConfig{});
    ConverterConfig c;
    c.snmpCommunity = "Árvíztűrőtükörfúrógép";
    ASSERT_EQ(procedures.WriteConf(c, link), OpResult::Ok);
    EXPECT_EQ(c.snmpCommunity, "Árvíztűrőt"); // ten characters, not ten bytes
    EXPECT_EQ(link.regs[80], 10);
    EXPECT_EQ(link.regs[81], 0xC1);
    EXPECT_EQ(link.regs[90], 't');

    ConverterConfig back;
    ASSERT_EQ(procedures.ReadConf(back, link), OpResult::Ok);
    EXPECT_EQ(back.snmpCommunity, "Árvíztűrőt");
}

TEST_F(CommunityOnTheConverter, AnUnstorableCommunitySendsNothing) {
    ConverterConfig c;
    c.snmpCommunity = "密码";
    EXPECT_EQ(procedures.WriteConf(c, link), OpResult::BadInput);
    EXPECT_TRUE(link.log.empty());
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_NE(sink.entries[0].text.find("cannot store"), std::string::npos);
}

} // namespace
} // namespace varnadex
