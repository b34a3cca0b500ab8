#include "snmp/SnmpCodec.h"
#include "tests/snmp_support.h"

#include <gtest/gtest.h>

#include <string>

namespace varnadex::test {
namespace {

const std::string kOid = "2B 06 01 04 01 82 BF 63 01";

TEST(SnmpBuildRequest, GoldenVectors) {
    struct Row {
        const char* name;
        RequestKind kind;
        std::string community;
        std::uint8_t id, reg, value;
        std::string expected;
    };
    const Row rows[] = {
        {"worked example", RequestKind::RegisterRead, "abc", 0x2A, 0x10, 0,
         "30 81 2C 02 01 00 04 03 'abc' A0 81 21 02 04 00 00 00 2A 02 01 00 02 01 00 "
         "30 81 12 30 81 0F 06 0B " +
             kOid + " 02 10 05 00"},
        {"empty community", RequestKind::RegisterRead, "", 0x01, 0x10, 0,
         "30 81 29 02 01 00 04 00 A0 81 21 02 04 00 00 00 01 02 01 00 02 01 00 "
         "30 81 12 30 81 0F 06 0B " +
             kOid + " 02 10 05 00"},
        {"id FF, register 65, value 80", RequestKind::RegisterWrite, "kelvin", 0xFF, 0x65, 0x80,
         "30 81 31 02 01 00 04 06 'kelvin' A3 81 23 02 04 00 00 00 FF 02 01 00 02 01 00 "
         "30 81 14 30 81 11 06 0B " +
             kOid + " 02 65 02 02 00 80"},
        {"value below 80 keeps two bytes", RequestKind::RegisterWrite, "kelvin", 0x00, 0x2C, 0x7F,
         "30 81 31 02 01 00 04 06 'kelvin' A3 81 23 02 04 00 00 00 00 02 01 00 02 01 00 "
         "30 81 14 30 81 11 06 0B " +
             kOid + " 02 2C 02 02 00 7F"},
        {"reset ignores register and value", RequestKind::Reset, "kelvin", 0x03, 0x77, 0x55,
         "30 81 2E 02 01 00 04 06 'kelvin' A3 81 20 02 04 00 00 00 03 02 01 00 02 01 00 "
         "30 81 11 30 81 0E 06 0A " +
             kOid + " 01 05 00"},
        {"version", RequestKind::Version, "kelvin", 0x80, 0, 0,
         "30 81 2E 02 01 00 04 06 'kelvin' A0 81 20 02 04 00 00 00 80 02 01 00 02 01 00 "
         "30 81 11 30 81 0E 06 0A " +
             kOid + " 03 05 00"},
    };
    for (const auto& row : rows) {
        const auto built = BuildRequest(row.kind, row.community, row.id, row.reg, row.value);
        ASSERT_TRUE(built.ok()) << row.name;
        EXPECT_EQ(built.bytes, hex(row.expected)) << row.name;
    }
}

TEST(SnmpBuildRequest, LengthsForEveryCommunityThatFits) {
    struct Kind {
        RequestKind kind;
        std::size_t overhead, limit;
    };
    for (auto [kind, overhead, limit] :
         {Kind{RequestKind::RegisterRead, 44, 56}, Kind{RequestKind::RegisterWrite, 46, 54},
          Kind{RequestKind::Reset, 43, 57}, Kind{RequestKind::Version, 43, 57}}) {
        EXPECT_EQ(maxCommunityLength(kind), limit);
        for (std::size_t n = 0; n <= limit; ++n) {
            const auto built = BuildRequest(kind, std::string(n, 'c'), 0x5A, 0x20, 0x99);
            ASSERT_TRUE(built.ok()) << n;
            const auto& b = built.bytes;
            ASSERT_EQ(b.size(), n + overhead) << n;
            EXPECT_LE(b.size(), kSnmpBufferSize);
            EXPECT_EQ(b[2], b.size() - 3);
            EXPECT_EQ(b[7], n);
            EXPECT_EQ(b[n + 16], 0x5A);
        }
        const auto refused = BuildRequest(kind, std::string(limit + 1, 'c'), 1, 0x20, 0);
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(refused.bytes.empty());
        EXPECT_EQ(refused.error, BuildError::CommunityTooLong);
    }
    EXPECT_EQ(BuildRequest(RequestKind::RegisterWrite, std::string(54, 'c'), 1, 0, 0).bytes.size(),
              100u);
}

TEST(SnmpBuildRequest, RegisterAbove127IsRefused) {
    EXPECT_TRUE(BuildRequest(RequestKind::RegisterRead, "k", 1, 127, 0).ok());
    for (auto kind : {RequestKind::RegisterRead, RequestKind::RegisterWrite}) {
        const auto built = BuildRequest(kind, "k", 1, 128, 0);
        EXPECT_EQ(built.error, BuildError::RegisterOutOfRange);
        EXPECT_TRUE(built.bytes.empty());
    }
    EXPECT_TRUE(BuildRequest(RequestKind::Version, "k", 1, 255, 0).ok());
}

// Answers in the converter's framing, community "abc" (n = 3).
const std::string kReadAnswer = "30 81 2E 02 01 00 04 03 'abc' A2 81 23 02 04 00 00 00 2A "
                                "02 01 00 02 01 00 30 81 14 30 81 11 06 0B " +
                                kOid + " 02 10 02 02 00 C1";
const std::string kResetAnswer = "30 81 2D 02 01 00 04 03 'abc' A2 81 22 02 04 00 00 00 2A "
                                 "02 01 00 02 01 00 30 81 13 30 81 10 06 0A " +
                                 kOid + " 01 02 02 00 01";
const std::string kVersionAnswer = "30 81 2D 02 01 00 04 03 'abc' A2 81 22 02 04 00 00 00 2A "
                                   "02 01 00 02 01 00 30 81 13 30 81 10 06 0A " +
                                   kOid + " 03 04 02 02 05";

Bytes with(Bytes b, std::size_t at, std::uint8_t value) {
    b.at(at) = value;
    return b;
}
Bytes resized(Bytes b, std::size_t size) {
    b.resize(size, 0x00);
    return b;
}

// A standard agent's GetResponse: short-form lengths, minimal integers.
Bytes standard(const Bytes& id, const Bytes& errorStatus, const Bytes& bindings,
               std::uint8_t pdu = 0xA2) {
    return tlv(0x30, hex("02 01 00") + tlv(0x04, hex("'abc'")) +
                         tlv(pdu, tlv(0x02, id) + tlv(0x02, errorStatus) + hex("02 01 00") +
                                      tlv(0x30, bindings)));
}
Bytes binding(const std::string& object, const Bytes& value) {
    return tlv(0x30, tlv(0x06, hex(kOid + object)) + value);
}

struct ResponseRow {
    const char* name;
    RequestKind kind;
    Bytes datagram;
    std::optional<SnmpResult> expected;
    std::uint8_t value = 0; // the value a write sent
};

SnmpResult reg(std::uint8_t v) {
    return {v, 0, 0};
}
SnmpResult version(std::uint8_t major, std::uint8_t minor) {
    return {0, major, minor};
}

void check(const ResponseRow& row) {
    const auto got = ReadResponse(row.kind, row.datagram, 3, 0x2A, 0x10, row.value);
    ASSERT_EQ(got.has_value(), row.expected.has_value()) << row.name;
    if (!got) return;
    EXPECT_EQ(got->value, row.expected->value) << row.name;
    EXPECT_EQ(got->major, row.expected->major) << row.name;
    EXPECT_EQ(got->minor, row.expected->minor) << row.name;
}

TEST(SnmpReadResponse, ConverterFraming) {
    const Bytes read = hex(kReadAnswer);
    const Bytes reset = hex(kResetAnswer);
    const Bytes ver = hex(kVersionAnswer);
    const auto R = RequestKind::RegisterRead, W = RequestKind::RegisterWrite;
    const ResponseRow rows[] = {
        {"register value at n+45", R, read, reg(0xC1)},
        {"trailing bytes are not examined", R, resized(read, 60), reg(0xC1)},
        {"the value's tag is not examined", R, with(read, 46, 0x04), reg(0xC1)},
        {"byte 0 not 0x30", R, with(read, 0, 0x31), std::nullopt},
        {"another request-id", R, with(read, 19, 0x29), std::nullopt},
        {"a GetRequest's PDU tag", R, with(read, 11, 0xA0), std::nullopt},
        {"a write sent back", W, with(read, 11, 0xA3), std::nullopt, 0xC1},
        {"error-status noSuchName", R, with(read, 22, 0x02), std::nullopt},
        {"one byte short", R, resized(read, read.size() - 1), std::nullopt},
        {"empty", R, {}, std::nullopt},
        {"over 100 bytes", R, resized(read, 101), std::nullopt},
        {"write echo", W, read, reg(0xC1), 0xC1},
        {"write echo mismatch", W, read, std::nullopt, 0xC2},
        // A refused write still echoes its binding.
        {"write refused with noSuchName", W, with(read, 22, 0x02), std::nullopt, 0xC1},
        {"reset 00 01", RequestKind::Reset, reset, SnmpResult{}},
        {"reset 00 00", RequestKind::Reset, with(reset, 47, 0x00), std::nullopt},
        {"reset one byte short", RequestKind::Reset, resized(reset, 47), std::nullopt},
        {"version 02 05", RequestKind::Version, ver, version(2, 5)},
        {"version 0A 00", RequestKind::Version, with(with(ver, 46, 0x0A), 47, 0x00),
         version(10, 0)},
        {"version with error-status", RequestKind::Version, with(ver, 22, 0x05), std::nullopt},
    };
    for (const auto& row : rows)
        check(row);
}

TEST(SnmpReadResponse, StandardFraming) {
    const Bytes id = hex("2A");
    const Bytes ok = hex("00");
    const auto R = RequestKind::RegisterRead, W = RequestKind::RegisterWrite;
    const auto V = RequestKind::Version, X = RequestKind::Reset;
    const ResponseRow rows[] = {
        {"register value", R, standard(id, ok, binding("02 10", hex("02 02 00 C1"))), reg(0xC1)},
        {"error-status", R, standard(id, hex("02"), binding("02 10", hex("02 01 05"))),
         std::nullopt},
        {"another id", R, standard(hex("2B"), ok, binding("02 10", hex("02 01 05"))), std::nullopt},
        {"id as 2A plus 256", R, standard(hex("01 2A"), ok, binding("02 10", hex("02 01 05"))),
         std::nullopt},
        {"another register", R, standard(id, ok, binding("02 11", hex("02 01 05"))), std::nullopt},
        {"a GetRequest, not a response", R,
         standard(id, ok, binding("02 10", hex("02 01 05")), 0xA0), std::nullopt},
        {"two bindings", R,
         standard(id, ok, binding("02 10", hex("02 01 05")) + binding("02 10", hex("02 01 05"))),
         std::nullopt},
        {"value not an INTEGER", R, standard(id, ok, binding("02 10", hex("04 01 05"))),
         std::nullopt},
        {"value 256", R, standard(id, ok, binding("02 10", hex("02 02 01 00"))), std::nullopt},
        {"write echo", W, standard(id, ok, binding("02 10", hex("02 02 00 80"))), reg(0x80), 0x80},
        {"write echo mismatch", W, standard(id, ok, binding("02 10", hex("02 01 7F"))),
         std::nullopt, 0x80},
        {"write refused", W, standard(id, hex("02"), binding("02 10", hex("02 02 00 80"))),
         std::nullopt, 0x80},
        {"reset acknowledged", X, standard(id, ok, binding("01", hex("02 01 01"))), SnmpResult{}},
        {"reset 0", X, standard(id, ok, binding("01", hex("02 01 00"))), std::nullopt},
        {"reset names the version object", X, standard(id, ok, binding("03", hex("02 01 01"))),
         std::nullopt},
        {"version as two octets", V, standard(id, ok, binding("03", hex("04 02 01 09"))),
         version(1, 9)},
        {"version as INTEGER", V, standard(id, ok, binding("03", hex("02 02 0A 00"))),
         version(10, 0)},
        {"version as NULL", V, standard(id, ok, binding("03", hex("05 00"))), std::nullopt},
    };
    for (const auto& row : rows)
        check(row);
}

TEST(SnmpReadResponse, MalformedStandardFramingIsNoAnswer) {
    const Bytes good = standard(hex("2A"), hex("00"), binding("02 10", hex("02 01 05")));
    ASSERT_TRUE(ReadResponse(RequestKind::RegisterRead, good, 3, 0x2A, 0x10, 0));
    // The value's length byte claims two bytes where its binding holds one.
    const Bytes truncatedInner = with(good, good.size() - 2, 0x02);
    const ResponseRow rows[] = {
        {"cut short", RequestKind::RegisterRead, resized(good, good.size() - 1), std::nullopt},
        {"length past the end", RequestKind::RegisterRead, with(good, 1, good[1] + 1),
         std::nullopt},
        {"inner length past its element", RequestKind::RegisterRead, truncatedInner, std::nullopt},
        {"bytes after the message", RequestKind::RegisterRead, good + hex("00"), std::nullopt},
        {"over-long length form", RequestKind::RegisterRead,
         hex("30 81") + Bytes(good.begin() + 1, good.end()), std::nullopt},
        {"indefinite length", RequestKind::RegisterRead,
         hex("30 80") + Bytes(good.begin() + 2, good.end()) + hex("00 00"), std::nullopt},
        {"non-minimal value", RequestKind::RegisterRead,
         standard(hex("2A"), hex("00"), binding("02 10", hex("02 02 00 05"))), std::nullopt},
    };
    for (const auto& row : rows)
        check(row);
}

} // namespace
} // namespace varnadex::test
