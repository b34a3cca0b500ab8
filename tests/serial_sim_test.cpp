// The simulator's serial side as a program talks to it: its replies and log for frames the
// link never sends wrong, and the varnadex-sim program's start-up and shutdown.

#include "serial_support.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>

namespace varnadex::test {
namespace {

namespace fs = std::filesystem;

// Writes bytes as they are and returns the reply, as a program with its own ideas would.
Bytes exchangeRaw(SimulatedConverter& sim, const Bytes& out) {
    sim.port.discardInput();
    EXPECT_TRUE(sim.port.write(out));
    const int n = sim.link.readReply(1, kReplyBufferSize);
    return n > 0 ? Bytes(sim.link.reply().begin(), sim.link.reply().end()) : Bytes{};
}

TEST(SimSerial, AnswersAndLogsEveryKindOfFrame) {
    SimulatedConverter sim;
    ASSERT_TRUE(sim.started && sim.openQuickly());
    sim.memory.write(44, 0xC1);
    struct Row {
        const char* name;
        Bytes out;
        Bytes reply;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"read", {0x64, 0x00, 0x2C, 0x2C}, {'O', 'K', 0xC1}, {"serial read 44"}},
        {"read, bad checksum",
         {0x64, 0x00, 0x2C, 0x2D},
         {'E', 'R'},
         {"serial bad-checksum read 44 45"}},
        {"write, bad checksum",
         {0x44, 0x00, 0x2C, 0x00, 0x01, 0x00},
         {'E', 'R'},
         {"serial bad-checksum write 44 1 0"}},
        {"version", {0x23}, {'O', 'K', 2, 5}, {"serial version"}},
        {"restart", {'X', 'X', 'X', 'X', 'X', 'R'}, {'O', 'K'}, {"serial restart"}},
        {"lead-in, then a read",
         {'X', 'X', 'X', 'X', 'X', 'X', 0x64, 0x00, 0x01, 0x01},
         {'O', 'K', 0x00},
         {"serial leadin", "serial read 1"}},
        {"short lead-in",
         {'X', 'X', 'X', 0x23},
         {'O', 'K', 2, 5},
         {"serial leadin 3", "serial version"}},
        {"unknown byte", {'V'}, {}, {"serial unknown 86"}},
        {"'R' alone", {'R'}, {}, {"serial unknown 82"}},
        {"frame cut short", {0x64, 0x00}, {}, {"serial incomplete 100 0"}},
        // Last: the restart request hands the line to the firmware loader.
        {"restart request, part 1",
         {0x44, 0x00, 0xFF, 0x00, 0xFF, 0xFE},
         {'O', 'K'},
         {"serial write 255 255"}},
        {"restart request, part 2", {'X', 'X', 'X', 'R'}, {'O', 'K'}, {"serial restart-request"}},
    };
    for (const auto& r : rows) {
        sim.log.clear();
        EXPECT_EQ(exchangeRaw(sim, r.out), r.reply) << r.name;
        EXPECT_EQ(sim.log.lines(), r.log) << r.name;
    }
    EXPECT_EQ(sim.memory.read(44), 0xC1); // the refused write changed nothing
}

TEST(SimSerial, SilentFromCountsFramesAndAnUnansweredWriteIsNotKept) {
    SimulatedConverter sim({.silentFrom = 3});
    ASSERT_TRUE(sim.started && sim.openQuickly());
    EXPECT_EQ(sim.link.SetRegister(60, 1), 1);
    EXPECT_EQ(sim.link.GetRegister(60), 1);
    EXPECT_EQ(sim.link.SetRegister(60, 7), -1);
    EXPECT_EQ(sim.memory.read(60), 1);
    EXPECT_EQ(sim.frames(), (std::vector<std::string>{"serial write 60 1", "serial read 60",
                                                      "serial write 60 7"}));
}

TEST(SimSerial, StopsPromptlyInTheMiddleOfAReply) {
    SimulatedConverter sim({.slowMs = 60000});
    ASSERT_TRUE(sim.started && sim.openQuickly());
    ASSERT_TRUE(sim.port.write(readByteFrame(44)));
    ASSERT_TRUE(sim.logged("serial read 44"));
    sim.converter.stop(); // returns although the reply is a minute away
    EXPECT_FALSE(sim.converter.running());
    std::uint8_t b[4];
    EXPECT_LE(sim.port.read(b, Micros(100'000)), 0); // the line has gone with it
}

#ifdef VARNADEX_SIM_PROGRAM
// varnadex-sim run as a child.
class Program : public ChildProcess {
public:
    explicit Program(std::vector<std::string> args) : ChildProcess(withProgram(std::move(args))) {}

private:
    static std::vector<std::string> withProgram(std::vector<std::string> args) {
        args.insert(args.begin(), VARNADEX_SIM_PROGRAM);
        return args;
    }
};

TEST(SimProgram, PrintsItsPtyAnswersAndEndsOnSigterm) {
    const fs::path link =
        fs::temp_directory_path() / ("varnadex-sim-prog-" + std::to_string(::getpid()));
    fs::remove(link);
    fs::create_symlink("/nowhere", link); // left by an earlier run: replaced
    Program sim({"--no-snmp", "--log", "-", "--link", link.string(), "--fault", "extra",
                 "--firmware-version=2.7"});
    ASSERT_GT(sim.pid, 0);
    const std::string first = sim.line();
    ASSERT_EQ(first.rfind("serial /dev/", 0), 0u) << first;
    EXPECT_EQ(fs::read_symlink(link).string(), first.substr(7));

    MessageCatalogue catalogue;
    catalogue.fill(1);
    RecordingSink sink;
    SystemClock clock;
    PosixSerialPort port;
    CSerialLink serial(port, clock, catalogue);
    ASSERT_TRUE(port.open(link.string(), 9600));
    EXPECT_EQ(serial.GetFirmwareVersion(), "2.7");
    EXPECT_EQ(sim.line(), "serial version");

    ::kill(sim.pid, SIGTERM);
    EXPECT_EQ(sim.finish(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimProgram, RefusesWhatItDoesNotKnow) {
    const std::pair<std::vector<std::string>, int> rows[] = {
        {{"--fault", "nonsense"}, 2},
        {{"--fault", "split=x"}, 2},
        {{"--bogus"}, 2},
        {{"--snmp", "127.0.0.1"}, 2},
        {{"--link"}, 2},
        {{"--agents", "4097"}, 2},
        {{"--link-loss", "100.5"}, 2},
        {{"--link-seed", "-1"}, 2},
        {{"--help"}, 0},
    };
    for (const auto& [args, code] : rows) {
        std::vector<std::string> all = {"--no-snmp"};
        all.insert(all.end(), args.begin(), args.end());
        Program sim(all);
        const std::string text = sim.rest();
        EXPECT_EQ(sim.finish(), code) << args[0];
        EXPECT_NE(text.find("usage: varnadex-sim"), std::string::npos) << args[0];
    }
}
#endif

} // namespace
} // namespace varnadex::test
