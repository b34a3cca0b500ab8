// The serial link over a real pty: against a bare pty for the exact bytes, and against the
// simulator for the conversions and its fault modes.

#include "config/RegisterMap.h"
#include "serial/SerialConnection.h"
#include "serial_support.h"

#include <gtest/gtest.h>

#include <future>

#include <sys/ioctl.h>

namespace varnadex::test {
namespace {

std::vector<std::string> lines(std::initializer_list<const char*> l) {
    return {l.begin(), l.end()};
}

TEST(SerialWire, FramesGoOutByteForByteAndRepliesComeBack) {
    RawPty pty;
    ASSERT_FALSE(pty.path.empty());
    MessageCatalogue catalogue;
    catalogue.fill(1);
    RecordingSink sink;
    SystemClock clock;
    PosixSerialPort port;
    CSerialLink link(port, clock, catalogue);
    ASSERT_TRUE(port.open(pty.path, 9600));

    auto read = std::async(std::launch::async, [&] { return link.GetRegister(44); });
    EXPECT_EQ(pty.take(4), (Bytes{0x64, 0x00, 0x2C, 0x2C}));
    pty.send({'O', 0x00, 0x2A});
    EXPECT_EQ(read.get(), 0x2A);

    auto write = std::async(std::launch::async, [&] { return link.SetRegister(44, 0xC1); });
    EXPECT_EQ(pty.take(6), (Bytes{0x44, 0x00, 0x2C, 0x00, 0xC1, 0xED}));
    pty.send({'O'});
    EXPECT_EQ(write.get(), 0xC1);

    write = std::async(std::launch::async, [&] { return link.SetRegister(0xFF, 0xFF); });
    EXPECT_EQ(pty.take(6), (Bytes{0x44, 0x00, 0xFF, 0x00, 0xFF, 0xFE}));
    pty.send({'O'});
    EXPECT_EQ(write.get(), 0xFF);

    auto version = std::async(std::launch::async, [&] { return link.GetFirmwareVersion(); });
    EXPECT_EQ(pty.take(1), (Bytes{0x23}));
    pty.send({0x4F, 0x99, 0x02, 0x05});
    EXPECT_EQ(version.get(), "2.5");

    link.SendLeadIn();
    EXPECT_EQ(pty.take(6), Bytes(6, 'X'));
    EXPECT_TRUE(sink.entries.empty());
}

TEST(SerialWire, AcceptsOnlyRepliesThatStartWithO) {
    for (const char* fault : {"", "not-o", "extra"}) {
        sim::SerialFaults faults;
        if (*fault) {
            ASSERT_EQ(sim::applySerialFault(fault, faults), sim::FaultParse::Applied);
        }
        SimulatedConverter sim(faults);
        ASSERT_TRUE(sim.started && sim.openQuickly());
        const bool accepted = std::string(fault) != "not-o";
        sim.memory.write(44, 0xC1);
        EXPECT_EQ(sim.link.GetRegister(44), accepted ? 0xC1 : -1) << fault;
        EXPECT_EQ(sim.link.SetRegister(45, 0x12), accepted ? 0x12 : -1) << fault;
        EXPECT_EQ(sim.memory.read(45), accepted ? 0x12 : 0) << fault;
        EXPECT_EQ(sim.link.GetFirmwareVersion(), accepted ? "2.5" : "Unknown") << fault;
        EXPECT_EQ(sim.frames(), lines({"serial read 44", "serial write 45 18", "serial version"}));
    }
}

TEST(SerialWire, ASilentConverterFailsAfterTheTimeOut) {
    SimulatedConverter sim({.silent = true});
    ASSERT_TRUE(sim.started && sim.openQuickly());
    std::string ip = "10.0.0.1";
    EXPECT_EQ(sim.accessors.GetIp(16, ip), 0);
    EXPECT_EQ(ip, "10.0.0.1");
    EXPECT_EQ(sim.accessors.GetVersion(), "Unknown");
    // The first unanswered frame ends the field: nothing after register 16 was asked.
    EXPECT_EQ(sim.frames(), lines({"serial read 16", "serial version"}));
    EXPECT_TRUE(sim.sink.entries.empty());
}

TEST(SerialWire, AConverterFallingSilentMidFieldLeavesTheFieldAsItWas) {
    SimulatedConverter sim({.silentFrom = 3});
    ASSERT_TRUE(sim.started && sim.openQuickly());
    std::string ip = "10.0.0.1";
    EXPECT_EQ(sim.accessors.GetIp(16, ip), 0);
    EXPECT_EQ(ip, "10.0.0.1");
    EXPECT_EQ(sim.frames(), lines({"serial read 16", "serial read 17", "serial read 18"}));
}

TEST(SerialWire, AddressesWrapAt255) {
    SimulatedConverter sim;
    ASSERT_TRUE(sim.started && sim.openQuickly());
    ASSERT_EQ(sim.accessors.SetMac(252, "0A0B0C0D0E0F"), 1);
    std::string mac;
    ASSERT_EQ(sim.accessors.GetMac(252, mac), 1);
    EXPECT_EQ(mac, "0A0B0C0D0E0F");
    const auto image = sim.memory.snapshot();
    EXPECT_EQ((Bytes{image[252], image[253], image[254], image[255], image[0], image[1]}),
              (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}));
    EXPECT_EQ(sim.frames(),
              lines({"serial write 252 10", "serial write 253 11", "serial write 254 12",
                     "serial write 255 13", "serial write 0 14", "serial write 1 15",
                     "serial read 252", "serial read 253", "serial read 254", "serial read 255",
                     "serial read 0", "serial read 1"}));
}

TEST(SerialWire, SplitRepliesAndTrailingBytesNeverCorruptTheNextReply) {
    struct Case {
        std::vector<const char*> faults;
        bool writes; // a write's 'O' split from the rest by more than the long quiet time
                     // leaves that rest to refuse the next exchange, so such cases only read
    };
    // Every case holds whatever the machine's load does to the simulator's thread: a late
    // thread only widens a split. The short splits a USB adapter makes are timed exactly in
    // serial_link_fake_test.
    const Case cases[] = {{{"extra"}, true},
                          {{"slow=150", "extra"}, true},
                          {{"split=150"}, false},
                          {{"split=150", "extra"}, false}};
    for (const auto& c : cases) {
        sim::SerialFaults faults;
        std::string label;
        for (const char* n : c.faults) {
            ASSERT_EQ(sim::applySerialFault(n, faults), sim::FaultParse::Applied);
            label += std::string(n) + " ";
        }
        SimulatedConverter sim(faults);
        ASSERT_TRUE(sim.started && sim.openQuickly());
        for (int r = 16; r < 20; ++r)
            sim.memory.write(static_cast<std::uint8_t>(r), 0x40 + r);
        sim.memory.write(40, 0xE1);
        std::string ip, word, hex;
        EXPECT_EQ(sim.accessors.GetIp(16, ip), 1) << label;
        EXPECT_EQ(ip, "80.81.82.83") << label;
        if (c.writes) {
            EXPECT_EQ(sim.accessors.SetIp(20, "255.255.0.0"), 1) << label;
            EXPECT_EQ(sim.accessors.SetHex(41, "7e"), 1) << label;
        }
        EXPECT_EQ(sim.accessors.GetWord(40, word), 1) << label;
        EXPECT_EQ(word, c.writes ? "57726" : "57728") << label;
        EXPECT_EQ(sim.accessors.GetVersion(), "2.5") << label;
    }
}

TEST(SerialOpen, StaleBytesAreDrainedBeforeTheLeadIn) {
    SimulatedConverter sim({.stale = true});
    ASSERT_TRUE(sim.started);
    std::string comPort = sim.converter.slavePath();
    SerialConnection connection(sim.link, comPort);
    ASSERT_FALSE(connection.open());
    std::uint8_t leftover[8];
    EXPECT_EQ(sim.port.read(leftover, Micros(0)), 0);
    sim.memory.write(57, 60);
    std::uint8_t timeout = 0;
    ASSERT_EQ(sim.accessors.GetByte(57, timeout), 1);
    EXPECT_EQ(timeout, 60);
    connection.close();
    EXPECT_FALSE(sim.port.isOpen());
    EXPECT_EQ(sim.log.lines(), lines({"serial leadin", "serial read 57"}));
    EXPECT_TRUE(sim.sink.entries.empty());
}

TEST(SerialOpen, ALockedOrUnsuitableDeviceIsRefused) {
    SimulatedConverter sim;
    ASSERT_TRUE(sim.started);
    const std::string path = sim.converter.slavePath();
    PosixSerialPort other;
    ASSERT_TRUE(other.open(path, 9600));
    struct Row {
        std::string name;
        int speed;
    };
    const Row rows[] = {{path, 9600},        // held by another program
                        {"/dev/null", 9600}, // not a terminal
                        {"/nonexistent/ttyX", 9600},
                        {"", 9600},
                        {path + "-no", 9600}};
    for (const auto& r : rows) {
        EXPECT_EQ(sim.link.OpenPort(r.name, r.speed), 0) << r.name;
        EXPECT_FALSE(sim.link.isOpen()) << r.name;
        EXPECT_EQ(sim.link.openFailure().message, "Couldn't open communication port!") << r.name;
    }
    PosixSerialPort third;
    EXPECT_FALSE(third.open(path, 9600));
    other.close();
    EXPECT_FALSE(third.open(path, 1234)); // a speed the line cannot take
    EXPECT_TRUE(third.open(path, 9600));  // free again once the holder let go
}

TEST(SerialOpen, ThePortIsExclusiveWhileOpenAndARefusalSaysWhy) {
    SimulatedConverter sim;
    ASSERT_TRUE(sim.started);
    const std::string path = sim.converter.slavePath();
    auto exclusive = [&] {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return errno == EBUSY ? 1 : -1; // refused, unless we are root
        int on = -1;
        ::ioctl(fd, TIOCGEXCL, &on);
        ::close(fd);
        return on;
    };
    PosixSerialPort other;
    ASSERT_TRUE(other.open(path, 9600));
    // A program that does not lock is kept out too (root alone may pass).
    EXPECT_EQ(exclusive(), 1);

    const std::string missing = path + "-no";
    struct Row {
        std::string name;
        std::string note;
    };
    const Row rows[] = {
        {path, path + ": in use by another program"},
        {missing, missing + ": no such device"},
        {"/dev/null", "/dev/null: not a serial port"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(sim.link.OpenPort(r.name, 9600), 0);
        EXPECT_EQ(sim.link.openFailure().note, r.note);
    }
    other.close();
    EXPECT_EQ(exclusive(), 0); // left as it was found
}

TEST(SerialOpen, SystemErrorsMapToReasons) {
    const std::pair<int, PortFailure> rows[] = {
        {EBUSY, PortFailure::InUse},
        {EWOULDBLOCK, PortFailure::InUse},
        {ENOENT, PortFailure::NoDevice},
        {ENXIO, PortFailure::NoDevice},
        {ENODEV, PortFailure::NoDevice},
        {EACCES, PortFailure::PermissionDenied},
        {EPERM, PortFailure::PermissionDenied},
        {ENOTTY, PortFailure::NotATerminal},
        {EIO, PortFailure::Other},
    };
    for (auto [error, reason] : rows)
        EXPECT_EQ(portFailureFromErrno(error), reason) << error;

    MessageCatalogue en;
    en.fill(1);
    EXPECT_EQ(describePortError({PortFailure::PermissionDenied, "/dev/ttyUSB0", ""}, en),
              "/dev/ttyUSB0: permission denied: add your user to the dialout group");
    EXPECT_EQ(describePortError({PortFailure::Other, "/dev/ttyS0", "Input/output error"}, en),
              "/dev/ttyS0: Input/output error");
    EXPECT_EQ(describePortError({}, en), "");
}

// The conversions themselves are the accessors' own (config_test); here their bytes cross a
// real line to the converter and back.
TEST(SerialAccessors, TextConversionsOnTheWire) {
    SimulatedConverter sim;
    ASSERT_TRUE(sim.started && sim.openQuickly());
    sim.memory.load({});
    EXPECT_EQ(sim.accessors.SetMac(100, "00a0b1c2d3e4"), 1);
    EXPECT_EQ(sim.accessors.SetWord(106, "9600"), 1);
    EXPECT_EQ(sim.accessors.SetHex(108, "7e"), 1);
    const auto written = sim.memory.snapshot();
    EXPECT_EQ(Bytes(written.begin() + 100, written.begin() + 109),
              (Bytes{0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0x25, 0x80, 0x7E}));
    sim.log.clear();
    EXPECT_EQ(sim.accessors.SetIp(100, "1.2.3.300"), 0);
    EXPECT_TRUE(sim.frames().empty());

    const Bytes image = {0x00, 0x50, 0xC2, 0xAB, 0xC0, 0x0F, 0xE1, 0x00, 0x07};
    for (std::size_t i = 0; i < image.size(); ++i)
        sim.memory.write(static_cast<std::uint8_t>(200 + i), image[i]);
    std::string mac, ip, word, hex;
    ASSERT_EQ(sim.accessors.GetMac(200, mac), 1);
    ASSERT_EQ(sim.accessors.GetIp(201, ip), 1);
    ASSERT_EQ(sim.accessors.GetWord(206, word), 1);
    ASSERT_EQ(sim.accessors.GetHex(208, hex), 1);
    EXPECT_EQ(mac, "0050C2ABC00F");
    EXPECT_EQ(ip, "80.194.171.192");
    EXPECT_EQ(word, "57600");
    EXPECT_EQ(hex, "07");
}

} // namespace
} // namespace varnadex::test
