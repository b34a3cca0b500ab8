#include "platform/PosixSerialPort.h"
#include "serial/SerialFrames.h"
#include "sim/SerialFaults.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnadex {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N> Bytes bytes(const std::array<std::uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

TEST(SerialFrames, BuildExactlyTheConverterBytes) {
    struct Row {
        const char* name;
        Bytes frame;
        Bytes expected;
    };
    const Row rows[] = {
        {"read 44", bytes(readByteFrame(44)), {0x64, 0x00, 0x2C, 0x2C}},
        {"read 0", bytes(readByteFrame(0)), {0x64, 0x00, 0x00, 0x00}},
        {"read 255", bytes(readByteFrame(255)), {0x64, 0x00, 0xFF, 0xFF}},
        {"write C1 to 44", bytes(writeByteFrame(44, 0xC1)), {0x44, 0x00, 0x2C, 0x00, 0xC1, 0xED}},
        {"write FF to FF", bytes(writeByteFrame(0xFF, 0xFF)), {0x44, 0x00, 0xFF, 0x00, 0xFF, 0xFE}},
        {"write 0 to 0", bytes(writeByteFrame(0, 0)), {0x44, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"lead-in", bytes(kLeadIn), {'X', 'X', 'X', 'X', 'X', 'X'}},
        {"restart", bytes(kRestartFrame), {0x58, 0x58, 0x58, 0x58, 0x58, 0x52}},
        {"restart request tail", bytes(kRestartRequestTail), {0x58, 0x58, 0x58, 0x52}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.frame, r.expected) << r.name;
}

TEST(SerialFrames, DecodeWhatTheProgramSends) {
    struct Row {
        const char* name;
        Bytes in;
        bool complete;
        CommandKind kind;
        std::size_t length;
        std::uint8_t address, value;
        bool checksumOk;
    };
    const Row rows[] = {
        {"read 44", {0x64, 0x00, 0x2C, 0x2C}, true, CommandKind::ReadByte, 4, 44, 0, true},
        {"read, bad sum", {0x64, 0x00, 0x2C, 0x2D}, true, CommandKind::ReadByte, 4, 44, 0, false},
        {"read, byte 1 in sum",
         {0x64, 0x01, 0x2C, 0x2D},
         true,
         CommandKind::ReadByte,
         4,
         44,
         0,
         true},
        {"read, then more",
         {0x64, 0x00, 0x05, 0x05, 0x23},
         true,
         CommandKind::ReadByte,
         4,
         5,
         0,
         true},
        {"read, 3 of 4", {0x64, 0x00, 0x2C}, false, CommandKind::Unknown, 0, 0, 0, false},
        {"write",
         {0x44, 0x00, 0x2C, 0x00, 0xC1, 0xED},
         true,
         CommandKind::WriteByte,
         6,
         44,
         0xC1,
         true},
        {"write, sum wraps",
         {0x44, 0x00, 0xFF, 0x00, 0xFF, 0xFE},
         true,
         CommandKind::WriteByte,
         6,
         255,
         255,
         true},
        {"write, bad sum",
         {0x44, 0x00, 0x2C, 0x00, 0xC1, 0xEC},
         true,
         CommandKind::WriteByte,
         6,
         44,
         0xC1,
         false},
        {"write, 5 of 6",
         {0x44, 0x00, 0x2C, 0x00, 0xC1},
         false,
         CommandKind::Unknown,
         0,
         0,
         0,
         false},
        {"version", {0x23}, true, CommandKind::Version, 1, 0, 0x23, true},
        {"lead-in byte", {0x58, 0x58}, true, CommandKind::LeadIn, 1, 0, 0x58, true},
        {"restart byte", {0x52}, true, CommandKind::Restart, 1, 0, 0x52, true},
        {"unknown", {0x56}, true, CommandKind::Unknown, 1, 0, 0x56, true},
        {"nothing", {}, false, CommandKind::Unknown, 0, 0, 0, false},
    };
    for (const auto& r : rows) {
        const auto c = decodeCommand(r.in);
        ASSERT_EQ(c.has_value(), r.complete) << r.name;
        if (!c) continue;
        EXPECT_EQ(c->kind, r.kind) << r.name;
        EXPECT_EQ(c->length, r.length) << r.name;
        EXPECT_EQ(c->address, r.address) << r.name;
        EXPECT_EQ(c->value, r.value) << r.name;
        EXPECT_EQ(c->checksumOk, r.checksumOk) << r.name;
    }
}

TEST(SerialPortNames, ComNamesMapToTtySAndPathsStayAsTheyAre) {
    const std::pair<const char*, const char*> rows[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"com3", "/dev/ttyS2"},
        {"COM10", "/dev/ttyS9"},
        {"COM256", "/dev/ttyS255"},
        {"COM0", "COM0"},
        {"COM", "COM"},
        {"COM01", "COM01"},
        {"COM1x", "COM1x"},
        {"COM-1", "COM-1"},
        {"COM12345", "COM12345"},
        {" COM1", " COM1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/3", "/dev/pts/3"},
        {"", ""},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(posixDevicePath(in), out) << in;
}

TEST(SimSerialFaults, NamesAndValues) {
    using sim::FaultParse;
    using sim::SerialFaults;
    struct Row {
        const char* text;
        FaultParse expected;
    };
    const Row rows[] = {
        {"silent", FaultParse::Applied},       {"silent-from=3", FaultParse::Applied},
        {"not-o", FaultParse::Applied},        {"split=20", FaultParse::Applied},
        {"extra", FaultParse::Applied},        {"stale", FaultParse::Applied},
        {"slow=1500", FaultParse::Applied},    {"silent=1", FaultParse::BadValue},
        {"silent-from", FaultParse::BadValue}, {"silent-from=0", FaultParse::BadValue},
        {"split=", FaultParse::BadValue},      {"split=-5", FaultParse::BadValue},
        {"slow=70000", FaultParse::BadValue},  {"slow=2x", FaultParse::BadValue},
        {"timeout", FaultParse::UnknownName},  {"Silent", FaultParse::UnknownName},
        {"", FaultParse::UnknownName},
    };
    for (const auto& r : rows) {
        SerialFaults f;
        EXPECT_EQ(sim::applySerialFault(r.text, f), r.expected) << r.text;
    }
    SerialFaults f;
    for (const char* t : {"silent-from=4", "split=20", "slow=7", "extra"})
        ASSERT_EQ(sim::applySerialFault(t, f), FaultParse::Applied);
    EXPECT_EQ(f.silentFrom, 4);
    EXPECT_EQ(f.splitMs, 20);
    EXPECT_EQ(f.slowMs, 7);
    EXPECT_TRUE(f.extra);
    EXPECT_FALSE(f.silent);
    EXPECT_FALSE(f.stale);
}

} // namespace
} // namespace varnadex
