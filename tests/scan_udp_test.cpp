// A scan over real loopback sockets, against a simulated fleet. Only 127.0.0.0/8 is ever
// addressed.
#include "cli/ScanCommand.h"
#include "platform/PosixProbeSocket.h"
#include "platform/SystemClock.h"
#include "sim/SnmpFleet.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace varnadex {
namespace {

using namespace std::chrono_literals;

constexpr Ipv4Address kRange = 0x7F4D1000; // 127.77.16.0/28

TEST(ScanUdp, FindsEachConverterOfAFleetWithItsOwnAddresses) {
    sim::SimLog log;
    sim::SnmpFleet fleet(log);
    ASSERT_TRUE(fleet.start(kRange + 1, 0, 3, 4)); // .1, .5 and .9
    SystemClock clock;
    std::ostringstream out, err;
    CliEnvironment env{"varnadex-cli", out, err, false, {}, clock};
    ScanRequest request;
    request.targets = {"127.77.16.0/28"};
    request.snmpPort = fleet.port();
    request.all = true;
    MessageCatalogue catalogue;
    catalogue.fill(1);
    ASSERT_EQ(runScan(request, catalogue, env), 0) << err.str();

    std::istringstream lines(out.str());
    int converters = 0, others = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("\"firmware\"") != std::string::npos) {
            ++converters;
        } else {
            ++others;
            EXPECT_TRUE(line.find("\"refused\"") != std::string::npos ||
                        line.find("\"no-answer\"") != std::string::npos)
                << line;
        }
    }
    EXPECT_EQ(converters, 3);
    EXPECT_EQ(others, 13);
    EXPECT_NE(
        out.str().find("{\"host\": \"127.77.16.5\", \"port\": " + std::to_string(fleet.port()) +
                       ", \"firmware\": \"2.2\", \"macAddress\": \"0050C24D1005\", "
                       "\"ipAddress\": \"127.77.16.5\""),
        std::string::npos)
        << out.str();
}

TEST(ScanUdp, PortUnreachableNamesTheDestinationThatRefused) {
    // A port just freed on one address: nothing listens there now.
    sim::SimLog log;
    sim::SnmpFleet fleet(log);
    ASSERT_TRUE(fleet.start(kRange + 2, 0, 1));
    const std::uint16_t port = fleet.port();
    fleet.stop();

    PosixProbeSocket socket;
    ASSERT_TRUE(socket.open());
    std::array<std::uint8_t, 100> buffer{};
    const std::uint8_t probe[] = {0x30, 0x00};
    ProbeEvent event;
    // ICMP is rate-limited host-wide, so a refusal may take another try.
    for (int tries = 0; tries < 5 && event.kind != ProbeEvent::Kind::Refused; ++tries) {
        ASSERT_TRUE(socket.sendTo(kRange + 2, port, probe));
        event = socket.receiveFrom(buffer, 300ms);
    }
    EXPECT_EQ(event.kind, ProbeEvent::Kind::Refused);
    EXPECT_EQ(event.from, kRange + 2);
    EXPECT_EQ(event.port, port);
}

} // namespace
} // namespace varnadex
