// CSnmpSocket's transactions in virtual time, over a scripted socket: the retry schedule, the
// ids, and what happens to datagrams that are not the answer.
#include "sim/SnmpResponder.h"
#include "snmp/SnmpConnection.h"
#include "snmp/SnmpSocket.h"
#include "tests/snmp_support.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

class SnmpTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue.fill(1);
        memory.write(16, 0x11);
        memory.write(17, 0x22);
    }
    // The agent answers every request `after` its send.
    void answerAfter(Millis after) {
        socket.onSend = [this, after](const FakeDatagramSocket::Sent& s, FakeDatagramSocket& f) {
            if (auto a = responder.handle(s.bytes)) f.arrive(s.at + after, a->bytes);
        };
    }
    Bytes answerFor(const Bytes& request) { return responder.handle(request).value().bytes; }
    Bytes readRequest(std::uint8_t id, std::uint8_t reg) {
        return BuildRequest(RequestKind::RegisterRead, "kelvin", id, reg, 0).bytes;
    }
    std::uint8_t idOf(const Bytes& request) { return request.at(6 + 16); } // n = 6
    void open() { ASSERT_FALSE(snmp.OpenConnection("10.0.0.9", "kelvin")); }

    FakeClock clock;
    FakeDatagramSocket socket{clock};
    MessageCatalogue catalogue;
    CSnmpSocket snmp{socket, clock, catalogue};
    RecordingSink sink;
    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SnmpResponder responder{memory, log, {}};
};

TEST_F(SnmpTransactionTest, SilentAgentGetsFiveRequestsOnTheSchedule) {
    open();
    const Millis start = clock.now();
    EXPECT_EQ(snmp.GetRegister(16), -1);
    EXPECT_EQ(clock.now() - start, 2100ms);
    ASSERT_EQ(socket.sent.size(), 5u);
    const Millis sendTimes[] = {0ms, 20ms, 240ms, 660ms, 1280ms};
    const std::uint8_t first = idOf(socket.sent[0].bytes);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(socket.sent[i].at - start, sendTimes[i]);
        EXPECT_EQ(socket.sent[i].bytes, readRequest(first + i, 16));
    }
    EXPECT_EQ(snmp.SetRegister(16, 1), -1);
    EXPECT_EQ(snmp.RequestReset(), -1);
    EXPECT_EQ(snmp.GetFirmwareVersion(), "Unknown");
    EXPECT_EQ(socket.sent.size(), 20u);
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(SnmpTransactionTest, AnAnswerToAnyAttemptIsTheAnswer) {
    // The first attempt's answer comes at 30 ms, in the second attempt's window, before the
    // second attempt's own.
    socket.onSend = [this](const FakeDatagramSocket::Sent& s, FakeDatagramSocket& f) {
        const bool first = f.sent.size() == 1;
        memory.write(16, first ? 0x99 : 0x11);
        f.arrive(s.at + (first ? 30ms : 50ms), answerFor(s.bytes));
    };
    open();
    const Millis start = clock.now();
    EXPECT_EQ(snmp.GetRegister(16), 0x99);
    EXPECT_EQ(socket.sent.size(), 2u);
    EXPECT_EQ(clock.now() - start, 30ms);
}

// A whole read's 65 transactions over links with long round trips: the first transaction keeps
// the quick schedule and takes its first attempt's late answer; it teaches the round trip, and
// every later request goes once. Answers to nothing of ours make the failure say so.
TEST_F(SnmpTransactionTest, LongRoundTripsAreLearnedFromTheFirstAnswer) {
    struct Row {
        Millis roundTrip;
        std::size_t firstSends; // of the first transaction
    };
    for (const Row row :
         {Row{1ms, 1}, Row{50ms, 2}, Row{300ms, 3}, Row{900ms, 4}, Row{2000ms, 5}}) {
        FakeDatagramSocket udp(clock);
        CSnmpSocket link(udp, clock, catalogue);
        udp.onSend = [&](const FakeDatagramSocket::Sent& s, FakeDatagramSocket& f) {
            f.arrive(s.at + row.roundTrip, answerFor(s.bytes));
        };
        ASSERT_FALSE(link.OpenConnection("10.0.0.1", "kelvin"));
        const Millis start = clock.now();
        for (int i = 0; i < 65; ++i)
            ASSERT_EQ(link.GetRegister(16), memory.read(16)) << row.roundTrip.count() << " " << i;
        EXPECT_EQ(udp.sent.size(), row.firstSends + 64) << row.roundTrip.count();
        EXPECT_EQ(clock.now() - start, 65 * row.roundTrip) << row.roundTrip.count();
        EXPECT_EQ(link.communicationError(catalogue), catalogue.text(Msg::NetworkCommError));
    }
}

TEST_F(SnmpTransactionTest, AnswersToOtherIdsMeanTheConverterAnsweredTooSlowly) {
    // Every answer carries an id far from the request's: answers, but to nothing asked.
    socket.onSend = [this](const FakeDatagramSocket::Sent& s, FakeDatagramSocket& f) {
        Bytes wrong = answerFor(s.bytes);
        wrong[22] = static_cast<std::uint8_t>(wrong[22] + 100);
        f.arrive(s.at + 5ms, wrong);
    };
    open();
    EXPECT_EQ(snmp.GetRegister(16), -1);
    EXPECT_EQ(snmp.communicationError(catalogue),
              "Communication error: the converter answered too slowly. Check the link to it and "
              "try again.");
    socket.onSend = {};
    EXPECT_EQ(snmp.GetRegister(16), -1); // nothing came back at all
    EXPECT_EQ(snmp.communicationError(catalogue), catalogue.text(Msg::NetworkCommError));
}

TEST_F(SnmpTransactionTest, OversizedDatagramIsPassedOver) {
    socket.onSend = [this](const FakeDatagramSocket::Sent& s, FakeDatagramSocket& f) {
        const Bytes good = answerFor(s.bytes);
        // Its first 100 bytes would pass. The first attempt gets nothing else; in the second
        // the good answer follows it in the same window.
        f.arrive(s.at + 1ms, good, 101);
        if (f.sent.size() == 2) f.arrive(s.at + 2ms, good);
    };
    open();
    const Millis start = clock.now();
    EXPECT_EQ(snmp.GetRegister(17), 0x22);
    ASSERT_EQ(socket.sent.size(), 2u);
    EXPECT_EQ(socket.sent[1].at - start, 20ms);
    EXPECT_EQ(clock.now() - start, 22ms);
}

TEST_F(SnmpTransactionTest, BrokenSocketKeepsTheSchedule) {
    socket.receiveFails = true;
    open();
    const Millis start = clock.now();
    EXPECT_EQ(snmp.GetRegister(16), -1);
    EXPECT_EQ(socket.sent.size(), 5u);
    EXPECT_EQ(clock.now() - start, 2100ms);
}

TEST_F(SnmpTransactionTest, NothingIsSentThatCannotBeSent) {
    answerAfter(1ms);
    EXPECT_EQ(snmp.GetRegister(16), -1); // not open
    open();
    const auto id = snmp.requestId();
    EXPECT_EQ(snmp.GetRegister(128), -1);
    EXPECT_EQ(snmp.SetRegister(200, 1), -1);
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_EQ(snmp.requestId(), id);
}

TEST_F(SnmpTransactionTest, OpeningFailures) {
    struct Row {
        const char* host;
        std::string community;
        bool createFails, connectFails;
        std::string message;
    };
    const Row rows[] = {
        {"10.0.0.9", "kelvin", true, false, "Couldn't create socket!"},
        {"converter.lan:1161", "kelvin", false, true,
         "Couldn't connect to the remote host (converter.lan:1161)!"},
        {"evil\x1b]0;x\x07", "kelvin", false, true,
         "Couldn't connect to the remote host (evil\\x1b]0;x\\a)!"},
        {"fe80::1", "kelvin", false, false,
         "IPv6 is not supported (\"fe80::1\"): use an IPv4 "
         "address or a host name."},
        {"10.0.0.9:", "kelvin", false, false, catalogue.extra(ExtraMsg::BadHostPort, "10.0.0.9:")},
        {"10.0.0.9", std::string(55, 'c'), false, false,
         catalogue.extra(ExtraMsg::CommunityTooLong, "54")},
    };
    for (const auto& row : rows) {
        socket.createFails = row.createFails;
        socket.connectFails = row.connectFails;
        const auto failure = snmp.OpenConnection(row.host, row.community);
        ASSERT_TRUE(failure) << row.host;
        EXPECT_EQ(failure->message, row.message);
        EXPECT_FALSE(socket.open) << row.host;
        EXPECT_FALSE(snmp.isOpen());
    }
    EXPECT_TRUE(socket.sent.empty());

    socket.connectFails = false;
    ConverterConfig config;
    config.agentHost = "127.0.0.1:16100";
    config.accessCommunity = std::string(54, 'c');
    SnmpConnection connection(snmp, config);
    ASSERT_FALSE(connection.open());
    EXPECT_EQ(socket.host, "127.0.0.1");
    EXPECT_EQ(socket.port, 16100);
    EXPECT_EQ(snmp.community(), config.accessCommunity);
    EXPECT_EQ(&connection.link(), &snmp);
    connection.close();
    EXPECT_FALSE(socket.open);
}

TEST(SplitAgentHost, HostAndPort) {
    struct Row {
        const char* text;
        std::optional<std::uint16_t> port; // nothing: malformed
        const char* host;
    };
    const Row rows[] = {
        {"192.168.255.1", 161, "192.168.255.1"},
        {"converter.lan", 161, "converter.lan"},
        {"", 161, ""}, // left to the host lookup, which fails with the connect message
        {"127.0.0.1:16100", 16100, "127.0.0.1"},
        {"host:65535", 65535, "host"},
        {"host:00161", 161, "host"},
        {"host:0", std::nullopt, ""},
        {"host:65536", std::nullopt, ""},
        {"host:999999", std::nullopt, ""},
        {"host:", std::nullopt, ""},
        {":161", std::nullopt, ""},
        {"host:16a", std::nullopt, ""},
        {"host: 161", std::nullopt, ""},
        {"host:-1", std::nullopt, ""},
        {"fe80::1", std::nullopt, ""},
    };
    for (const auto& row : rows) {
        const auto got = splitAgentHost(row.text);
        ASSERT_EQ(got.has_value(), row.port.has_value()) << row.text;
        if (!got) continue;
        EXPECT_EQ(got->port, *row.port) << row.text;
        EXPECT_EQ(got->host, row.host) << row.text;
    }
}

} // namespace
} // namespace varnadex::test

namespace varnadex::test {
namespace {

TEST(SnmpSimulator, FaultNames) {
    struct Row {
        const char* text;
        sim::FaultParse parse;
        int answerAttempt = 0, lateMs = 0;
    };
    const Row rows[] = {
        {"snmp-silent", sim::FaultParse::Applied},
        {"snmp-silent=1", sim::FaultParse::BadValue},
        {"snmp-answer-attempt=3", sim::FaultParse::Applied, 3},
        {"snmp-answer-attempt=0", sim::FaultParse::BadValue},
        {"snmp-answer-attempt", sim::FaultParse::BadValue},
        {"snmp-late", sim::FaultParse::Applied, 0, sim::kDefaultLateMs},
        {"snmp-late=50", sim::FaultParse::Applied, 0, 50},
        {"snmp-late=5x", sim::FaultParse::BadValue},
        {"snmp-community=elevenchars", sim::FaultParse::BadValue},
        {"silent", sim::FaultParse::UnknownName},
        {"snmp-everything", sim::FaultParse::UnknownName},
    };
    for (const auto& row : rows) {
        sim::SnmpFaults faults;
        EXPECT_EQ(sim::applySnmpFault(row.text, faults), row.parse) << row.text;
        EXPECT_EQ(faults.answerAttempt, row.answerAttempt) << row.text;
        EXPECT_EQ(faults.lateMs, row.lateMs) << row.text;
    }
}

TEST(SnmpSimulator, AnswersAStandardToolsRequestInTheConverterFraming) {
    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SnmpResponder responder(memory, log, {});
    memory.write(44, 0xC1);
    // As a standard stack sends it: short-form lengths and a large request-id.
    const Bytes request =
        tlv(0x30, hex("02 01 00") + tlv(0x04, hex("'kelvin'")) +
                      tlv(0xA0, hex("02 04 01 02 03 04 02 01 00 02 01 00") +
                                    tlv(0x30, tlv(0x30, hex("06 0B 2B 06 01 04 01 82 BF 63 01 "
                                                            "02 2C 05 00")))));
    const auto answer = responder.handle(request);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes.size(), 6u + 46u);
    const auto result = ReadResponse(RequestKind::RegisterRead, answer->bytes, 6, 0x04, 44, 0);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->value, 0xC1);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"snmp get 44 id=16909060"});
}

} // namespace
} // namespace varnadex::test
