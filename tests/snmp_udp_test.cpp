// The SNMP transport over real UDP sockets on loopback, against the simulator's agent.
#include "config/TypedAccessors.h"
#include "platform/PosixUdpSocket.h"
#include "platform/SystemClock.h"
#include "sim/SnmpAgent.h"
#include "snmp/SnmpSocket.h"
#include "tests/snmp_support.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

// How long a wait may take in real time before it counts as the whole window: long where the
// agent answers (so that a slow machine cannot turn an answer into a retry), short where
// nothing is to come.
constexpr Millis kAnswerCap = 3000ms;
constexpr Millis kSilenceCap = 30ms;

class SnmpUdpTest : public ::testing::Test {
protected:
    void SetUp() override { catalogue.fill(1); }

    void startAgent(std::initializer_list<const char*> faultNames = {}, Millis cap = kAnswerCap) {
        sim::SnmpFaults faults;
        for (const char* name : faultNames) {
            ASSERT_EQ(sim::applySnmpFault(name, faults), sim::FaultParse::Applied) << name;
        }
        snmp.reset();
        udp.reset();
        agent = std::make_unique<sim::SnmpAgent>(memory, log, faults);
        ASSERT_TRUE(agent->start("127.0.0.1", 0));
        udp = std::make_unique<VirtualTimeUdpSocket>(clock, cap);
        snmp = std::make_unique<CSnmpSocket>(*udp, clock, catalogue);
        ASSERT_FALSE(snmp->OpenConnection(agentHost(), "kelvin"));
    }
    std::string agentHost() const { return "127.0.0.1:" + std::to_string(agent->port()); }

    // The agent logs on its own thread; wait (bounded) until it has seen `count` requests.
    std::vector<std::string> requests(std::size_t count) {
        for (int i = 0; i < 200 && log.lines().size() < count; ++i)
            std::this_thread::sleep_for(10ms);
        return log.lines();
    }
    static int idIn(const std::string& line) {
        return std::stoi(line.substr(line.find("id=") + 3));
    }
    static void expectConsecutiveIds(const std::vector<std::string>& lines) {
        for (std::size_t i = 1; i < lines.size(); ++i)
            EXPECT_EQ(idIn(lines[i]), (idIn(lines[i - 1]) + 1) % 256) << lines[i];
    }

    FakeClock clock;
    MessageCatalogue catalogue;
    RecordingSink sink;
    sim::RegisterMemory memory;
    sim::SimLog log;
    std::unique_ptr<sim::SnmpAgent> agent;
    std::unique_ptr<VirtualTimeUdpSocket> udp;
    std::unique_ptr<CSnmpSocket> snmp;
};

TEST_F(SnmpUdpTest, AgentAnsweringAtOnceCostsOneRequestPerTransaction) {
    startAgent();
    memory.write(44, 0xC1);
    const Millis start = clock.now();
    EXPECT_EQ(snmp->GetRegister(44), 0xC1);
    EXPECT_EQ(snmp->SetRegister(45, 0x80), 0x80);
    EXPECT_EQ(snmp->RequestReset(), 1);
    agent->setVersion(1, 9);
    EXPECT_EQ(snmp->GetFirmwareVersion(), "1.9");
    EXPECT_EQ(clock.now(), start);
    EXPECT_EQ(memory.read(45), 0x80);
    EXPECT_EQ(agent->resetCount(), 1);
    const auto lines = requests(4);
    ASSERT_EQ(lines.size(), 4u);
    const int id = idIn(lines[0]);
    const auto at = [&](int k) { return "id=" + std::to_string((id + k) % 256); };
    EXPECT_EQ(lines, (std::vector<std::string>{"snmp get 44 " + at(0), "snmp set 45 128 " + at(1),
                                               "snmp reset " + at(2), "snmp version " + at(3)}));
}

TEST_F(SnmpUdpTest, StandardFramingAgentIsUnderstood) {
    startAgent({"snmp-short-form"});
    memory.write(16, 0x05);
    EXPECT_EQ(snmp->GetRegister(16), 0x05);
    EXPECT_EQ(snmp->SetRegister(17, 0xFF), 0xFF);
    EXPECT_EQ(snmp->RequestReset(), 1);
    EXPECT_EQ(snmp->GetFirmwareVersion(), "2.2");
    EXPECT_EQ(requests(4).size(), 4u);
}

TEST_F(SnmpUdpTest, AgentThatNeverAnswersRightGetsFiveRequests) {
    for (const char* fault : {"snmp-silent", "snmp-wrong-id", "snmp-error-status", "snmp-oversized",
                              "snmp-community=public"}) {
        SCOPED_TRACE(fault);
        log.clear();
        memory.write(50, 0);
        startAgent({fault}, kSilenceCap);
        const Millis start = clock.now();
        EXPECT_EQ(snmp->SetRegister(50, 1), -1);
        EXPECT_EQ(clock.now() - start, 2100ms);
        const auto lines = requests(5);
        EXPECT_EQ(lines.size(), 5u);
        expectConsecutiveIds(lines);
        EXPECT_TRUE(clock.sleeps.empty()) << "the socket failed rather than waited";
        if (std::string(fault) == "snmp-error-status") {
            EXPECT_EQ(memory.read(50), 0);
        }
    }
}

TEST_F(SnmpUdpTest, AnswerToTheThirdAttempt) {
    startAgent({"snmp-answer-attempt=3"}, 800ms);
    memory.write(20, 0xFE);
    EXPECT_EQ(snmp->GetRegister(20), 0xFE);
    const auto lines = requests(3);
    EXPECT_EQ(lines.size(), 3u);
    expectConsecutiveIds(lines);
}

TEST_F(SnmpUdpTest, RequestIdWrapsAcrossConnections) {
    startAgent();
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(snmp->GetRegister(16), memory.read(16));
    snmp->CloseConnection();
    ASSERT_FALSE(snmp->OpenConnection(agentHost(), "kelvin"));
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(snmp->GetRegister(16), memory.read(16));
    const auto lines = requests(300);
    ASSERT_EQ(lines.size(), 300u);
    expectConsecutiveIds(lines);
}

TEST_F(SnmpUdpTest, OpeningFailuresSendNothing) {
    startAgent();
    snmp->CloseConnection();
    EXPECT_EQ(snmp->OpenConnection("no-such-host.test", "kelvin")->message,
              "Couldn't connect to the remote host (no-such-host.test)!");
    EXPECT_EQ(snmp->OpenConnection("127.0.0.1:99999", "kelvin")->message,
              catalogue.extra(ExtraMsg::BadHostPort, "127.0.0.1:99999"));
    EXPECT_EQ(snmp->GetRegister(16), -1);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(log.lines().empty());
}

// A UDP socket of the test's own, bound on loopback, to play a peer that the test drives.
class Peer {
public:
    Peer() : fd_(loopbackUdpSocket(port, {5, 0})) {}
    ~Peer() { ::close(fd_); }
    Bytes receive() {
        Bytes b(200);
        socklen_t n = sizeof from_;
        const auto got =
            ::recvfrom(fd_, b.data(), b.size(), 0, reinterpret_cast<sockaddr*>(&from_), &n);
        b.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        return b;
    }
    void reply(const Bytes& b) {
        ::sendto(fd_, b.data(), b.size(), 0, reinterpret_cast<sockaddr*>(&from_), sizeof from_);
    }
    void sendTo(std::uint16_t toPort, const Bytes& b) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(toPort);
        ::sendto(fd_, b.data(), b.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    std::uint16_t fromPort() const { return ntohs(from_.sin_port); }
    std::uint16_t port = 0;

private:
    int fd_ = -1;
    sockaddr_in from_{};
};

// The converter's answer to a register read: a write request's framing with the GetResponse tag.
Bytes answer(std::uint8_t id, std::uint8_t reg, std::uint8_t value) {
    Bytes b = BuildRequest(RequestKind::RegisterWrite, "kelvin", id, reg, value).bytes;
    b[6 + 8] = 0xA2;
    return b;
}

TEST(SnmpUdpPeer, AStaleReplyIsThrownAwayAndALateOneAnswersItsOwnRequest) {
    FakeClock clock;
    MessageCatalogue catalogue;
    RecordingSink sink;
    VirtualTimeUdpSocket udp(clock, 1000ms);
    CSnmpSocket snmp(udp, clock, catalogue);
    Peer peer;
    ASSERT_FALSE(snmp.OpenConnection("127.0.0.1:" + std::to_string(peer.port), "kelvin"));

    auto first = std::async(std::launch::async, [&] { return snmp.GetRegister(16); });
    const Bytes request = peer.receive();
    ASSERT_EQ(request.size(), 50u);
    const std::uint8_t id = request[22];
    peer.reply(answer(id, 16, 0x11));
    ASSERT_EQ(first.get(), 0x11);

    // Waiting before the next request, and carrying the id that request will have.
    peer.reply(answer(id + 1, 17, 0x99));
    std::this_thread::sleep_for(50ms);
    auto second = std::async(std::launch::async, [&] { return snmp.GetRegister(17); });
    EXPECT_EQ(peer.receive(),
              BuildRequest(RequestKind::RegisterRead, "kelvin", id + 1, 17, 0).bytes);
    // No answer to that attempt in its window; the first attempt's answer, come late in the
    // retry's window, is the answer.
    const Bytes retry = peer.receive();
    ASSERT_EQ(retry.size(), 50u);
    EXPECT_EQ(retry[22], std::uint8_t(id + 2));
    peer.reply(answer(id + 1, 17, 0x98));
    peer.reply(answer(id + 2, 17, 0x22));
    EXPECT_EQ(second.get(), 0x98);
}

// Behind a link whose round trip outlasts the fourth quick window, in real time: the first
// answer comes while the fourth attempt is out, and is taken; the round trip it teaches leaves
// one request per transaction after it.
TEST(SnmpOverASlowLink, A900MsRoundTripResetsAndReads) {
    sim::RegisterMemory memory;
    memory.write(44, 0xC1);
    sim::SimLog log;
    sim::SnmpAgent agent(memory, log, {});
    agent.setLink({.delayMs = 900});
    ASSERT_TRUE(agent.start("127.0.0.1", 0));
    MessageCatalogue catalogue;
    catalogue.fill(1);
    SystemClock clock;
    PosixUdpSocket udp(loopbackResolver);
    CSnmpSocket snmp(udp, clock, catalogue);
    ASSERT_FALSE(snmp.OpenConnection("127.0.0.1:" + std::to_string(agent.port()), "kelvin"));
    EXPECT_EQ(snmp.RequestReset(), 1);
    EXPECT_EQ(snmp.GetRegister(44), 0xC1);
    EXPECT_EQ(snmp.GetRegister(44), 0xC1);
    // The reset was sent at 0, 20, 240 and 660 ms and answered from 900 ms on, not five times
    // and given up on; each read was sent once.
    EXPECT_EQ(agent.resetCount(), 4);
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("snmp get", 0) == 0; }),
              2);
}

TEST(PosixUdpSocket, ConnectedSocketTakesOnlyItsPeerAndReportsTrueSize) {
    Peer agent, stranger;
    PosixUdpSocket socket;
    ASSERT_TRUE(socket.create());
    ASSERT_TRUE(socket.connect("localhost", agent.port));
    ASSERT_TRUE(socket.send(hex("01")));
    agent.receive();
    std::array<std::uint8_t, 100> buffer{};

    stranger.sendTo(agent.fromPort(), Bytes(10, 0x30));
    EXPECT_EQ(socket.receive(buffer, 100ms).status, ReceiveResult::Status::Nothing);

    agent.reply(Bytes(150, 0x30));
    const auto got = socket.receive(buffer, 2000ms);
    EXPECT_EQ(got.status, ReceiveResult::Status::Datagram);
    EXPECT_EQ(got.size, 150u);

    agent.reply(hex("02"));
    agent.reply(hex("03"));
    std::this_thread::sleep_for(50ms);
    socket.discardWaiting();
    EXPECT_EQ(socket.receive(buffer, 0ms).status, ReceiveResult::Status::Nothing);
}

TEST(PosixUdpSocket, PortUnreachableIsNotAFailure) {
    std::uint16_t closedPort = 0;
    {
        Peer gone;
        closedPort = gone.port;
    }
    PosixUdpSocket socket;
    ASSERT_TRUE(socket.create());
    ASSERT_TRUE(socket.connect("127.0.0.1", closedPort));
    std::array<std::uint8_t, 100> buffer{};
    for (int i = 0; i < 3; ++i) {
        socket.send(hex("30 00"));
        EXPECT_EQ(socket.receive(buffer, 200ms).status, ReceiveResult::Status::Nothing);
    }
}

TEST_F(SnmpUdpTest, SnmpAccessorsAgainstTheAgent) {
    startAgent();
    TypedAccessors snmpAccess(*snmp);
    const std::uint8_t mac[] = {0x01, 0x0A, 0xFF, 0x00, 0x10, 0x02};
    for (int i = 0; i < 6; ++i)
        memory.write(10 + i, mac[i]);
    const std::pair<int, int> values[] = {{16, 192},  {17, 168},  {18, 0},    {19, 1},
                                          {32, 0x27}, {33, 0x10}, {101, 0x0A}};
    for (auto [r, v] : values)
        memory.write(r, v);
    std::string text;
    EXPECT_EQ(snmpAccess.GetMac(10, text), 1);
    EXPECT_EQ(text, "010AFF001002");
    EXPECT_EQ(snmpAccess.GetIp(16, text), 1);
    EXPECT_EQ(text, "192.168.0.1");
    EXPECT_EQ(snmpAccess.GetWord(32, text), 1);
    EXPECT_EQ(text, "10000");
    EXPECT_EQ(snmpAccess.GetHex(101, text), 1);
    EXPECT_EQ(text, "0A");

    EXPECT_EQ(snmpAccess.SetMac(10, "00a0b1c2d3e4"), 1);
    EXPECT_EQ(snmpAccess.SetHex(101, "7"), 1);
    const auto image = memory.snapshot();
    EXPECT_EQ(Bytes(image.begin() + 10, image.begin() + 16), hex("00 A0 B1 C2 D3 E4"));
    EXPECT_EQ(image[101], 0x07);

    // A text that is refused sends nothing at all.
    log.clear();
    EXPECT_EQ(snmpAccess.SetMac(10, "00a0b1cXd3e4"), 0);
    EXPECT_EQ(memory.snapshot(), image);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(log.lines().empty());

    agent->setVersion(10, 0);
    EXPECT_EQ(snmpAccess.GetVersion(), "10.0");
    agent->setVersion(0, 0);
    EXPECT_EQ(snmpAccess.GetVersion(), "Unknown");
    catalogue.fill(0);
    EXPECT_EQ(snmpAccess.GetVersion(), "Ismeretlen");
}

} // namespace
} // namespace varnadex::test
