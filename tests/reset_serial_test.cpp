// RESET over the serial link against the simulated converter on a real pty: only an 'O' at
// the very start of the reply is an acceptance, and the port is closed on every path.

#include "maintenance/DeviceReset.h"
#include "platform/PosixUdpSocket.h"
#include "serial/SerialLink.h"
#include "sim/SerialConverter.h"
#include "snmp/SnmpSocket.h"
#include "tests/firmware_support.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

TEST(ResetOverSerial, OnlyALeadingOIsAccepted) {
    struct Row {
        int accessMode;    // anything but 1 is the serial link
        const char* fault; // a simulator fault, or "no-port": a port that cannot be opened
        bool done;
    };
    const Row rows[] = {
        {0, nullptr, true},           {2, "reset-reply=O", true}, {255, "reset-reply=xO", false},
        {0, "reset-reply=oK", false}, {0, "silent", false},       {0, "no-port", false},
    };
    for (const auto& row : rows) {
        const std::string fault = row.fault ? row.fault : "";
        sim::SerialFaults faults;
        sim::BootFaults boot;
        if (row.fault && sim::applySerialFault(fault, faults) != sim::FaultParse::Applied)
            sim::applyBootFault(fault, boot);
        sim::RegisterMemory memory;
        sim::SimLog log;
        sim::SerialConverter converter(memory, log, faults, boot);
        ASSERT_TRUE(converter.start());
        FakeClock clock;
        MessageCatalogue catalogue;
        catalogue.fill(1);
        RecordingSink sink;
        VirtualTimeSerialPort port(clock, 300ms);
        CSerialLink serial(port, clock, catalogue);
        PosixUdpSocket udp;
        CSnmpSocket snmp(udp, clock, catalogue);
        DeviceReset reset(serial, snmp, sink, catalogue);

        ConverterConfig config;
        config.accessMode = row.accessMode;
        config.comPort = fault == "no-port" ? "/nonexistent/tty" : converter.slavePath();
        EXPECT_EQ(reset.OnReset(config), row.done) << fault;
        const std::string expected =
            row.done ? "Done"
            : fault == "no-port"
                ? "Couldn't open communication port!"
                : "Communication error! Press Conf key on equipment or check the cable.";
        EXPECT_EQ(sink.entries,
                  (std::vector<RecordingSink::Entry>{
                      {row.done ? MessageKind::Plain : MessageKind::Error, expected}}))
            << fault;
        EXPECT_FALSE(serial.isOpen() || snmp.isOpen()) << fault;
        EXPECT_EQ(log.lines(), fault == "no-port" ? std::vector<std::string>{}
                                                  : std::vector<std::string>{"serial restart"});
        EXPECT_FALSE(converter.inLoader()); // RESET restarts the converter as it is
    }
}

TEST(ResetOverSerial, AnUnwrittenFrameIsNotedForTheTerminalOnly) {
    FakeClock clock;
    MessageCatalogue catalogue;
    catalogue.fill(1);
    RecordingSink sink;
    CallbackPort port(clock);
    port.failWriteAt = 0;
    CSerialLink serial(port, clock, catalogue);
    PosixUdpSocket udp;
    CSnmpSocket snmp(udp, clock, catalogue);
    DeviceReset reset(serial, snmp, sink, catalogue);
    ConverterConfig config;
    EXPECT_FALSE(reset.OnReset(config));
    EXPECT_TRUE(sink.entries.empty()); // no box in the window
    EXPECT_EQ(sink.notes,
              std::vector<std::string>{"Couldn't send the restart frame to the COM port."});
    EXPECT_FALSE(serial.isOpen());
}

} // namespace
} // namespace varnadex::test
