// The simulator's network between the program and its SNMP agents, over real loopback
// sockets: answers no sooner than the link's delay, losses each way that a seed repeats, and
// a fleet of thousands on one thread. Also the log's bound on what it keeps.

#include "config/RegisterMap.h"
#include "sim/SnmpAgent.h"
#include "sim/SnmpFleet.h"
#include "snmp/SnmpCodec.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnadex::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr Ipv4Address kLoopback = 0x7F000001;
const char kCommunity[] = "kelvin";

// The program's end: one UDP socket on loopback.
class Client {
public:
    Client() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in self{};
        self.sin_family = AF_INET;
        self.sin_addr.s_addr = htonl(kLoopback);
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&self), sizeof self);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client() { ::close(fd_); }

    void send(Ipv4Address address, std::uint16_t port, const Bytes& bytes) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(address);
        to.sin_port = htons(port);
        ASSERT_EQ(::sendto(fd_, bytes.data(), bytes.size(), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(bytes.size()));
    }
    std::optional<Bytes> receive(std::chrono::milliseconds wait) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) != 1) return std::nullopt;
        Bytes bytes(2048);
        const ssize_t got = ::recv(fd_, bytes.data(), bytes.size(), 0);
        if (got < 0) return std::nullopt;
        bytes.resize(static_cast<std::size_t>(got));
        return bytes;
    }

private:
    int fd_ = -1;
};

Bytes request(RequestKind kind, std::uint8_t id, std::uint8_t reg, std::uint8_t value = 0) {
    return BuildRequest(kind, kCommunity, id, reg, value).bytes;
}

// The register's value in the agent's answer; nothing when no answer comes.
std::optional<std::uint8_t> readRegister(const Client& client, Ipv4Address address,
                                         std::uint16_t port, std::uint8_t reg) {
    client.send(address, port, request(RequestKind::RegisterRead, 1, reg));
    const auto answer = client.receive(5000ms);
    if (!answer) return std::nullopt;
    const auto result =
        ReadResponse(RequestKind::RegisterRead, *answer, sizeof kCommunity - 1, 1, reg, 0);
    if (!result) return std::nullopt;
    return result->value;
}

TEST(SimLink, AnAnswerComesNoSoonerThanTheRoundTripAndLateness) {
    struct Row {
        LinkSettings link;
        int lateMs;
        std::chrono::milliseconds atLeast;
    };
    const Row rows[] = {
        {{.delayMs = 150}, 50, 200ms},
        // Each way 100 ms give or take 40: never less than 60.
        {{.delayMs = 200, .jitterMs = 40, .seed = 3}, 0, 120ms},
    };
    for (const auto& row : rows) {
        RegisterMemory memory;
        memory.write(44, 0xC1);
        SimLog log;
        SnmpAgent agent(memory, log, {.lateMs = row.lateMs});
        agent.setLink(row.link);
        ASSERT_TRUE(agent.start("127.0.0.1", 0));
        Client client;
        const auto sent = Clock::now();
        EXPECT_EQ(readRegister(client, kLoopback, agent.port(), 44), 0xC1) << row.link.delayMs;
        EXPECT_GE(Clock::now() - sent, row.atLeast) << row.link.delayMs;
    }
}

// Writes 40 registers one request at a time, each a value of its own: what became of each
// request ('a' answered, 'i' lost on the way in, 'o' lost on the way out), checked against
// what the agent's memory holds.
std::string writeOverLink(const LinkSettings& link) {
    constexpr int kRequests = 40;
    RegisterMemory memory;
    memory.load({});
    SimLog log;
    SnmpAgent agent(memory, log);
    agent.setLink(link);
    EXPECT_TRUE(agent.start("127.0.0.1", 0));
    Client client;
    std::string fates;
    for (int k = 0; k < kRequests; ++k) {
        const auto id = static_cast<std::uint8_t>(k + 1);
        const auto reg = static_cast<std::uint8_t>(60 + k);
        client.send(kLoopback, agent.port(), request(RequestKind::RegisterWrite, id, reg, id));
        const std::string in = "snmp dropped-in id=" + std::to_string(id);
        const std::string out = "snmp dropped-out id=" + std::to_string(id);
        char fate = '?';
        for (auto until = Clock::now() + 5s; fate == '?' && Clock::now() < until;) {
            if (const auto answer = client.receive(5ms)) {
                if (ReadResponse(RequestKind::RegisterWrite, *answer, sizeof kCommunity - 1, id,
                                 reg, id))
                    fate = 'a';
                continue;
            }
            for (const auto& line : log.lines())
                fate = line == in ? 'i' : line == out ? 'o' : fate;
        }
        fates += fate;
        // Lost on the way in, the write never reached the agent; otherwise it was carried out.
        EXPECT_EQ(memory.read(reg), fate == 'i' ? 0 : id) << "request " << k << " " << fate;
    }
    return fates;
}

TEST(SimLink, LossesEachWayRepeatWithTheSeedAndALostRequestChangesNothing) {
    const std::string none(40, 'a'), all(40, 'i');
    EXPECT_EQ(writeOverLink({.lossPercent = 0.0}), none);
    EXPECT_EQ(writeOverLink({.lossPercent = 100.0}), all);

    const std::string half = writeOverLink({.lossPercent = 50.0, .seed = 7});
    for (char fate : {'a', 'i', 'o'})
        EXPECT_NE(half.find(fate), std::string::npos) << half;
    EXPECT_EQ(writeOverLink({.lossPercent = 50.0, .seed = 7}), half);
    EXPECT_NE(writeOverLink({.lossPercent = 50.0, .seed = 8}), half);
}

TEST(SimLink, AFleetOfThousandsAnswersAtItsFirstAndLastAddress) {
    constexpr int kAgents = 2048;
    const auto room = makeRoomForSockets(kAgents);
    if (!room.enough) GTEST_SKIP() << "the hard open-file limit is " << room.limit;
    SimLog log;
    SnmpFleet fleet(log);
    ASSERT_TRUE(fleet.start(0x7F5A0001, 0, kAgents)); // 127.90.0.1 to 127.90.8.0
    ASSERT_EQ(fleet.size(), std::size_t{kAgents});
    // The third byte of each one's own address, in its own memory: 0 and 8.
    const auto reg = static_cast<std::uint8_t>(findField("ipAddress")->first + 2);
    Client client;
    for (std::size_t i : {std::size_t{0}, std::size_t{kAgents - 1}}) {
        EXPECT_EQ(readRegister(client, fleet.address(i), fleet.port(), reg),
                  static_cast<std::uint8_t>(fleet.address(i) >> 8))
            << i;
    }
}

#ifdef VARNADEX_SIM_PROGRAM
// The program hands its link to every agent, one alone or a fleet.
TEST(SimLinkProgram, LosesEveryRequestAtOneHundredPercent) {
    for (const char* agents : {"1", "2"}) {
        test::ChildProcess sim({VARNADEX_SIM_PROGRAM, "--snmp", "127.0.0.1:0", "--agents", agents,
                                "--link-loss=100", "--log", "-"});
        ASSERT_GT(sim.pid, 0);
        ASSERT_EQ(sim.line().rfind("serial /dev/", 0), 0u);
        const std::string snmp = sim.line(); // "snmp 127.0.0.1:P", then " x2" for a fleet
        ASSERT_EQ(snmp.rfind("snmp 127.0.0.1:", 0), 0u) << snmp;
        const auto port = static_cast<std::uint16_t>(std::stoi(snmp.substr(15)));
        Client client;
        client.send(kLoopback, port, request(RequestKind::RegisterWrite, 9, 60, 1));
        EXPECT_EQ(sim.line(), "snmp dropped-in id=9") << agents;
        ::kill(sim.pid, SIGTERM);
        EXPECT_EQ(sim.finish(), 0);
    }
}
#endif

TEST(SimLog, KeepsTheLatestLinesInOrderAndWritesEveryOne) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    SimLog log(3);
    log.setStream(stream);
    for (int i = 1; i <= 5; ++i)
        log.add(std::to_string(i));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"3", "4", "5"}));
    std::rewind(stream);
    char written[32] = {};
    EXPECT_EQ(std::fread(written, 1, sizeof written - 1, stream), 10u);
    EXPECT_STREQ(written, "1\n2\n3\n4\n5\n");
    std::fclose(stream);
}

} // namespace
} // namespace varnadex::sim
