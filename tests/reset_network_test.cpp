// RESET across the network against the simulator's SNMP agent on loopback: acknowledged,
// refused for a wrong community after its five attempts, and a host that cannot be reached.

#include "maintenance/DeviceReset.h"
#include "platform/PosixSerialPort.h"
#include "serial/SerialLink.h"
#include "sim/SnmpAgent.h"
#include "snmp/SnmpSocket.h"
#include "tests/snmp_support.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

TEST(ResetOverNetwork, AcknowledgedRefusedOrUnreachable) {
    struct Row {
        const char* host; // nullptr: the agent
        const char* community;
        bool done;
        std::string message;
        std::size_t requests; // what the agent saw
    };
    const Row rows[] = {
        {nullptr, "kelvin", true, "Done", 1},
        {nullptr, "public", false, "Communication error! Check target IP and Community string!", 5},
        {"no-such-host.test", "kelvin", false,
         "Couldn't connect to the remote host (no-such-host.test)!", 0},
    };
    for (const auto& row : rows) {
        sim::RegisterMemory memory;
        sim::SimLog log;
        sim::SnmpAgent agent(memory, log);
        ASSERT_TRUE(agent.start("127.0.0.1", 0));
        FakeClock clock;
        MessageCatalogue catalogue;
        catalogue.fill(1);
        RecordingSink sink;
        // Long where the agent answers, short where it keeps quiet.
        VirtualTimeUdpSocket udp(clock, row.done ? 3000ms : 30ms);
        PosixSerialPort port;
        CSerialLink serial(port, clock, catalogue);
        CSnmpSocket snmp(udp, clock, catalogue);
        DeviceReset reset(serial, snmp, sink, catalogue);

        ConverterConfig config;
        config.accessMode = 1;
        config.agentHost = row.host ? row.host : "127.0.0.1:" + std::to_string(agent.port());
        config.accessCommunity = row.community;
        EXPECT_EQ(reset.OnReset(config), row.done) << row.message;
        EXPECT_EQ(sink.entries,
                  (std::vector<RecordingSink::Entry>{
                      {row.done ? MessageKind::Plain : MessageKind::Error, row.message}}));
        EXPECT_FALSE(snmp.isOpen() || serial.isOpen());
        for (int i = 0; i < 100 && log.lines().size() < row.requests; ++i)
            std::this_thread::sleep_for(5ms); // the agent logs on its own thread
        EXPECT_EQ(log.lines().size(), row.requests) << row.message;
        EXPECT_EQ(agent.resetCount(), row.done ? 1 : 0);
    }
}

} // namespace
} // namespace varnadex::test
