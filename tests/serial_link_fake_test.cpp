// The link's timing and fault rules on a scripted port and virtual time: the things a pty
// cannot show on demand (a reply at 995 ms, bursts 16 ms apart, a port that never falls
// silent, a refused write).

#include "serial/SerialConnection.h"
#include "serial_support.h"

#include <gtest/gtest.h>

namespace varnadex::test {
namespace {

using Chunk = ScriptedPort::Chunk;

Micros ms(int n) {
    return Micros(n * 1000);
}

struct FakeLink {
    explicit FakeLink(int language = 1) : port(clock), link(port, clock, catalogue) {
        catalogue.fill(language);
        port.open("COM1", kConverterSpeed);
        port.events.clear();
    }
    FakeClock clock;
    MessageCatalogue catalogue;
    RecordingSink sink;
    ScriptedPort port;
    CSerialLink link;
};

TEST(SerialLinkRules, ReplyTimingAndContent) {
    enum Op { Read, Write, Version };
    struct Row {
        const char* name;
        Op op;
        ScriptedPort::Reply reply;
        bool ok;
        std::string version = {};
    };
    const Row rows[] = {
        {"read, whole reply", Read, {{ms(3), {'O', 'K', 0x2A}}}, true},
        {"read, first byte at 995 ms", Read, {{ms(995), {'O', 'K', 0x2A}}}, true},
        {"read, first byte at 1001 ms", Read, {{ms(1001), {'O', 'K', 0x2A}}}, false},
        {"read, no reply", Read, {}, false},
        {"read, bursts 16 ms apart",
         Read,
         {{ms(1), {'O'}}, {ms(17), {'K'}}, {ms(33), {0x2A}}},
         true},
        {"read, 'O' then nothing", Read, {{ms(1), {'O'}}}, false},
        {"read, data after 1000 ms", Read, {{ms(1), {'O', 'K'}}, {ms(1002), {0x2A}}}, false},
        {"read, lower-case o", Read, {{ms(1), {'o', 'K', 0x2A}}}, false},
        {"read, 'O' second", Read, {{ms(1), {0x00, 'O', 'K', 0x2A}}}, false},
        {"write, 'O'", Write, {{ms(1), {'O'}}}, true},
        {"write, 'O' and anything", Write, {{ms(1), {'O', 0xFF, 'E', 'R', 'R'}}}, true},
        {"write, 'E'", Write, {{ms(1), {'E', 'R'}}}, false},
        {"write, no reply", Write, {}, false},
        {"version 2.5", Version, {{ms(2), {'O', 0x00, 2, 5}}}, true, "2.5"},
        {"version 10.0", Version, {{ms(2), {'O', 0x00, 10, 0}}}, true, "10.0"},
        {"version, minor missing", Version, {{ms(2), {'O', 0x00, 2}}}, false, "Unknown"},
        {"version, refused", Version, {{ms(2), {'N', 0x00, 2, 5}}}, false, "Unknown"},
        {"version, no reply", Version, {}, false, "Unknown"},
    };
    for (const auto& r : rows) {
        FakeLink f;
        f.port.replies.push_back(r.reply);
        bool ok = false;
        switch (r.op) {
        case Read: {
            const int value = f.link.GetRegister(44);
            ok = value >= 0;
            EXPECT_EQ(value, ok ? 0x2A : -1) << r.name;
            break;
        }
        case Write:
            ok = f.link.SetRegister(44, 0xC1) == 0xC1;
            break;
        case Version: {
            const std::string version = f.link.GetFirmwareVersion();
            ok = version != "Unknown";
            EXPECT_EQ(version, r.version.empty() ? "Unknown" : r.version) << r.name;
            break;
        }
        }
        EXPECT_EQ(ok, r.ok) << r.name;
        EXPECT_TRUE(f.sink.entries.empty()) << r.name; // no message at this level
    }
}

TEST(SerialLinkRules, UnknownVersionIsInTheCataloguesLanguage) {
    FakeLink hungarian(0);
    EXPECT_EQ(hungarian.link.GetFirmwareVersion(), "Ismeretlen");
}

TEST(SerialLinkRules, RefusalIsNotWaitedOut) {
    FakeLink f;
    f.port.replies.push_back({{ms(1), {'E'}}});
    const auto start = f.clock.now();
    EXPECT_EQ(f.link.GetRegister(44), -1);
    EXPECT_LT(f.clock.now() - start, kReplyTimeout);
}

TEST(SerialLinkRules, TailsNeverBecomeTheNextReply) {
    FakeLink f;
    // A tail right behind the data is read with its reply; one that comes later is thrown away
    // before the next frame is written.
    f.port.replies.push_back({{ms(1), {'O', 'K', 0x11}}, {ms(3), {'O', 'K', 0xEE}}});
    f.port.replies.push_back({{ms(1), {'O', 'K', 0x22}}, {ms(40), {'O', 'K', 0xEE}}});
    f.port.replies.push_back({{ms(1), {'O', 'K', 0x33}}});
    EXPECT_EQ(f.link.GetRegister(1), 0x11);
    EXPECT_EQ(f.link.GetRegister(2), 0x22);
    f.clock.advance(Millis(50)); // the late tail is on the line when the next frame goes out
    EXPECT_EQ(f.link.GetRegister(3), 0x33);
    for (std::size_t i = 0; i < f.port.events.size(); ++i) {
        if (f.port.events[i] == "write") {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(f.port.events[i - 1], "discard");
        }
    }
}

// A USB adapter may hold a write's second byte for up to 16 ms: the rest of a reply split so is
// read with it, not taken for the start of the next reply.
TEST(SerialLinkRules, AWritesSplitReplyStaysWhole) {
    FakeLink f;
    f.port.replies.push_back({{ms(1), {'O'}}, {ms(11), {'K'}}});
    f.port.replies.push_back({{ms(1), {'O'}}, {ms(17), {'K'}}});
    f.port.replies.push_back({{ms(1), {'O', 'K', 0x2A}}});
    ASSERT_EQ(f.link.SetRegister(20, 1), 1);
    ASSERT_EQ(f.link.SetRegister(21, 2), 2);
    EXPECT_EQ(f.link.GetRegister(44), 0x2A);
}

TEST(SerialLinkRules, FailedWriteReadsNothing) {
    FakeLink f;
    f.port.writeSucceeds = false;
    f.port.replies.push_back({{ms(1), {'O'}}});
    const auto start = f.clock.now();
    EXPECT_EQ(f.link.SetRegister(44, 1), -1);
    EXPECT_EQ(f.clock.now(), start);
}

TEST(SerialLinkRules, ExchangesNeedAnOpenPort) {
    FakeLink f;
    f.link.ClosePort();
    EXPECT_EQ(f.link.GetRegister(44), -1);
    EXPECT_EQ(f.link.SetRegister(44, 1), -1);
    EXPECT_EQ(f.link.readReply(), -1);
    EXPECT_EQ(f.link.ClosePort(), 0);
}

TEST(SerialOpenPort, FailureSaysOneMessageAndLeavesNothingOpen) {
    FakeClock clock;
    MessageCatalogue catalogue;
    catalogue.fill(1);
    ScriptedPort port(clock);
    port.openSucceeds = false;
    CSerialLink link(port, clock, catalogue);
    EXPECT_EQ(link.OpenPort("COM3", 9600), 0);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.ClosePort(), 0);
    EXPECT_EQ(link.openFailure().message, "Couldn't open communication port!");
    EXPECT_EQ(port.events, std::vector<std::string>{"open COM3 9600"});
}

TEST(SerialOpenPort, DrainsUntilASilentSecondAndOpensOnlyOnce) {
    FakeLink f;
    f.link.ClosePort();
    f.port.events.clear();
    f.port.waitingAtOpen = {{ms(0), {'O', 'K', 0x99}}, {ms(400), {0x01, 0x02}}};
    const auto start = f.clock.now();
    ASSERT_EQ(f.link.OpenPort("/dev/ttyUSB0", 9600), 1);
    // The second stale chunk came 400 ms in; a whole silent second followed it.
    EXPECT_GE(f.clock.now() - start, Millis(1400));
    f.port.replies.push_back({{ms(1), {'O', 'K', 0x42}}});
    EXPECT_EQ(f.link.GetRegister(44), 0x42);
    // Opening again closes the first hold on the device before taking a new one.
    ASSERT_EQ(f.link.OpenPort("/dev/ttyUSB0", 9600), 1);
    EXPECT_EQ(std::count(f.port.events.begin(), f.port.events.end(), "close"), 1);
}

TEST(SerialOpenPort, APortThatNeverFallsSilentDoesNotHoldTheOpenForEver) {
    FakeLink f;
    f.link.ClosePort();
    f.port.babbles = true;
    const auto start = f.clock.now();
    EXPECT_EQ(f.link.OpenPort("COM1", 9600), 1);
    EXPECT_LE(f.clock.now() - start, kDrainLimit + Millis(10));
}

TEST(SerialConnectionRules, OpensAt9600WithTheLeadInAndClosesOnce) {
    FakeClock clock;
    MessageCatalogue catalogue;
    catalogue.fill(1);
    RecordingSink sink;
    ScriptedPort port(clock);
    CSerialLink link(port, clock, catalogue);
    std::string comPort = "COM2";
    SerialConnection connection(link, comPort);
    comPort = "COM4"; // the record changed after the connection was made
    ASSERT_FALSE(connection.open());
    EXPECT_EQ(port.events.front(), "open COM4 9600");
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0], Bytes(6, 'X'));
    EXPECT_EQ(&connection.link(), &link);
    EXPECT_EQ(connection.communicationError(catalogue), catalogue.text(Msg::SerialCommError));
    connection.close();
    EXPECT_FALSE(link.isOpen());

    port.openSucceeds = false;
    EXPECT_TRUE(connection.open());
    EXPECT_EQ(port.written.size(), 1u); // no lead-in on a port that did not open
}

TEST(SerialAccessorsOnFailure, AFieldKeepsItsValueUnlessItsWholeReadSucceeds) {
    struct Row {
        const char* name;
        int answered; // registers answered before the converter falls silent
        int (TypedAccessors::*get)(std::uint8_t, std::string&);
    };
    const Row rows[] = {
        {"IPv4 after 3 of 4", 3, &TypedAccessors::GetIp},
        {"IPv4 after 0", 0, &TypedAccessors::GetIp},
        {"MAC after 5 of 6", 5, &TypedAccessors::GetMac},
        {"MAC after 0", 0, &TypedAccessors::GetMac},
        {"word after 1 of 2", 1, &TypedAccessors::GetWord},
        {"hex", 0, &TypedAccessors::GetHex},
    };
    for (const auto& r : rows) {
        FakeLink f;
        TypedAccessors accessors(f.link);
        for (int i = 0; i < r.answered; ++i)
            f.port.replies.push_back({{ms(1), {'O', 'K', 7}}});
        std::string out = "old text";
        EXPECT_EQ((accessors.*r.get)(16, out), 0) << r.name;
        EXPECT_EQ(out, "old text") << r.name;
        EXPECT_EQ(f.port.written.size(), static_cast<std::size_t>(r.answered + 1)) << r.name;
    }
}

TEST(SerialRawExchange, NeededAndLimitShapeTheRead) {
    FakeLink f;
    // The firmware query's answer: two bytes, nothing more is read.
    f.port.replies.push_back({{ms(5), {0x00}}, {ms(20), {0x01, 0x4F}}});
    ASSERT_TRUE(f.link.writeRaw(std::array<std::uint8_t, 1>{'V'}));
    EXPECT_EQ(f.link.readReply(2, 2), 2);
    EXPECT_EQ(Bytes(f.link.reply().begin(), f.link.reply().end()), (Bytes{0x00, 0x01}));
    // One byte where two were wanted: what came is handed back for the caller to judge.
    f.port.discardInput();
    f.port.replies.push_back({{ms(5), {0x00}}});
    ASSERT_TRUE(f.link.writeRaw(std::array<std::uint8_t, 1>{'V'}));
    EXPECT_EQ(f.link.readReply(2, 2), 1);
    // A checkpoint read with nothing to say.
    EXPECT_EQ(f.link.readReply(), 0);
    EXPECT_TRUE(f.link.reply().empty());
    // Every raw read first lets what was written leave the port, so that its time-out does
    // not run out while a slice of firmware is still on its way to the converter.
    const auto& e = f.port.events;
    EXPECT_EQ(std::count(e.begin(), e.end(), "drain"), 3);
    EXPECT_EQ(e.back(), "drain");
}

} // namespace
} // namespace varnadex::test
