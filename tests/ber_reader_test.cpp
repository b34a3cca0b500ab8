#include "snmp/BerReader.h"
#include "tests/snmp_support.h"

#include <gtest/gtest.h>

namespace varnadex::test {
namespace {

TEST(BerReader, Lengths) {
    struct Row {
        const char* name;
        Bytes bytes;
        bool strict, lenient; // read as one whole element under each rule
        std::size_t contentSize;
    };
    const Bytes body130(130, 0xAA);
    const Bytes body300(300, 0xAA);
    const Row rows[] = {
        {"short form", hex("04 02 01 02"), true, true, 2},
        {"empty content", hex("05 00"), true, true, 0},
        {"one-byte long form below 128", hex("04 81 02 01 02"), false, true, 2},
        {"one-byte long form at 130", hex("04 81 82") + body130, true, true, 130},
        {"two-byte long form below 256", hex("04 82 00 82") + body130, false, true, 130},
        {"two-byte long form at 300", hex("04 82 01 2C") + body300, true, true, 300},
        {"three length bytes", hex("04 83 00 00 02 01 02"), false, false, 0},
        {"indefinite", hex("30 80 05 00 00 00"), false, false, 0},
        {"content past the end", hex("04 03 01 02"), false, false, 0},
        {"long form past the end", hex("04 81 82") + Bytes(129, 0xAA), false, false, 0},
        {"length bytes missing", hex("04 82 01"), false, false, 0},
        {"tag only", hex("04"), false, false, 0},
        {"nothing", {}, false, false, 0},
        {"high tag number", hex("1F 81 01 00"), false, false, 0},
    };
    for (const auto& row : rows) {
        for (auto [rules, whole] :
             {std::pair{BerRules::Strict, row.strict}, std::pair{BerRules::Lenient, row.lenient}}) {
            BerReader reader(row.bytes, rules);
            const auto element = reader.next();
            EXPECT_EQ(element.has_value(), whole) << row.name;
            if (!element) {
                EXPECT_FALSE(reader.next()) << row.name << ": a refused element is not skipped";
                continue;
            }
            EXPECT_EQ(element->tag, row.bytes[0]) << row.name;
            EXPECT_EQ(element->content.size(), row.contentSize) << row.name;
            EXPECT_TRUE(reader.atEnd()) << row.name;
        }
    }
}

TEST(BerReader, Integers) {
    struct Row {
        const char* content;
        std::optional<std::int32_t> strict, lenient;
    };
    const Row rows[] = {
        {"00", 0, 0},
        {"7F", 127, 127},
        {"80", -128, -128},
        {"00 80", 128, 128},
        {"00 FF", 255, 255},
        {"FF 7F", -129, -129},
        {"00 05", std::nullopt, 5},        // the converter's two-byte value
        {"00 00 00 2A", std::nullopt, 42}, // the converter's four-byte request-id
        {"FF FF", std::nullopt, -1},
        {"7F FF FF FF", 2147483647, 2147483647},
        {"80 00 00 00", -2147483647 - 1, -2147483647 - 1},
        {"00 80 00 00 00", std::nullopt, std::nullopt}, // over four bytes
        {"", std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        const Bytes content = hex(row.content);
        EXPECT_EQ(berInteger(content, BerRules::Strict), row.strict) << row.content;
        EXPECT_EQ(berInteger(content, BerRules::Lenient), row.lenient) << row.content;
    }
}

} // namespace
} // namespace varnadex::test
