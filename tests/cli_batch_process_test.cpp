// varnadex-cli as a shell script runs it: a real process over a list of loopback agents, its
// output piped into a reader that leaves, sent to a full disk or closed, stopped by signals
// sent as `timeout` sends them, under a small open-file limit. Whatever happens around it, a
// converter is written whole or not at all.

#include "config/ConfigFile.h"
#include "config/RegisterMap.h"
#include "sim/SnmpFleet.h"
#include "support/ChildProcess.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <thread>

#include <sys/stat.h>

namespace varnadex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The first and the last register a write stores: the IP address and the network delay.
constexpr std::uint8_t kFirstWritten = 16;
constexpr std::uint8_t kLastWritten = 54;

class BatchProcess : public ::testing::Test {
protected:
    // `count` agents from 127.88.0.1, each answering every request `lateMs` late, so that a
    // write takes about a second and a signal or a closed pipe finds converters mid-write.
    void startFleet(int count, int lateMs = 15) {
        sim::SnmpFaults faults;
        faults.lateMs = lateMs;
        fleet = std::make_unique<sim::SnmpFleet>(log, faults);
        ASSERT_TRUE(fleet->start(0x7F580001, 0, count));
        std::ofstream list(scratch / "hosts.csv");
        list << "host\n";
        for (std::size_t i = 0; i < fleet->size(); ++i)
            list << host(i) << "\n";
        ConverterConfig wanted;
        wanted.applyLateDefaults();
        wanted.ipAddress = "10.20.30.40";
        wanted.networkDelay = 2; // Huge: register 54 holds 10
        std::ofstream(scratch / "template.json") << configToJson(wanted);
    }
    std::string host(std::size_t i) const {
        return formatIpv4Address(fleet->address(i)) + ":" + std::to_string(fleet->port());
    }
    std::vector<std::string> cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {VARNADEX_CLI_PROGRAM, "--lang", "en"});
        return args;
    }
    std::vector<std::string> writeAll(unsigned jobs) const {
        return cli({"--hosts", (scratch / "hosts.csv").string(), "--jobs", std::to_string(jobs),
                    "write", (scratch / "template.json").string()});
    }
    bool written(std::size_t i) const { return fleet->memory(i).read(kFirstWritten) == 10; }
    // Every converter holds the whole of the new configuration or none of it; how many hold it.
    std::size_t expectNoneHalfWritten() const {
        std::size_t whole = 0;
        for (std::size_t i = 0; i < fleet->size(); ++i) {
            const bool first = written(i);
            const bool last = fleet->memory(i).read(kLastWritten) == 10;
            EXPECT_EQ(first, last) << host(i) << " is half written";
            whole += first && last;
        }
        return whole;
    }
    // Waits until the agents have seen `count` writes of a register, however long that takes.
    void awaitSets(std::size_t count) const {
        for (;;) {
            std::size_t sets = 0;
            for (const auto& l : log.lines())
                sets += l.rfind("snmp set", 0) == 0;
            if (sets >= count) return;
            std::this_thread::sleep_for(5ms);
        }
    }

    ScratchDir scratch{"varnadex-batch"};
    sim::SimLog log;
    std::unique_ptr<sim::SnmpFleet> fleet;
};

// --- pipes and signals ----------------------------------------------------------------------

TEST_F(BatchProcess, AReaderThatLeavesStopsTheBatchAsCtrlCDoes) {
    startFleet(6);
    ChildProcess run(writeAll(2), ChildProcess::Output::OwnPipe);
    const std::string first = run.outputLine();
    ASSERT_NE(first.find("\"status\":\"ok\""), std::string::npos) << first;
    run.closeOutput(); // as `| head -1` does
    const std::string said = run.rest();
    EXPECT_EQ(run.finish(), 1) << said;
    EXPECT_NE(said.find("standard output cannot be written: Broken pipe"), std::string::npos)
        << said;
    // Those that had started, the ones in flight when the reader left among them, are whole;
    // none started after.
    std::size_t ok = 0, notStarted = 0;
    const auto at = said.find("6 converters: ");
    ASSERT_NE(at, std::string::npos) << said;
    ASSERT_EQ(std::sscanf(said.c_str() + at, "6 converters: %zu ok; stopped, %zu not started", &ok,
                          &notStarted),
              2)
        << said;
    EXPECT_EQ(ok + notStarted, 6u);
    EXPECT_GE(notStarted, 1u);
    EXPECT_EQ(expectNoneHalfWritten(), ok);
}

TEST_F(BatchProcess, OutputThatCannotBeWrittenFailsEveryCommand) {
    startFleet(3, 0);
    const std::string hosts = (scratch / "hosts.csv").string();
    const std::string conf = (scratch / "template.json").string();
    struct Row {
        std::vector<std::string> args;
        ChildProcess::Output output;
        std::string file;
    };
    const Row rows[] = {
        {cli({"--hosts", hosts, "--jobs", "1", "read"}), ChildProcess::Output::WithErrors,
         "/dev/full"},
        {cli({"--host", host(0), "read"}), ChildProcess::Output::WithErrors, "/dev/full"},
        {cli({"--host", host(0), "diff", conf}), ChildProcess::Output::Closed, ""},
        {cli({"scan", "127.88.0.0/30", "--snmp-port", std::to_string(fleet->port())}),
         ChildProcess::Output::Closed, ""},
    };
    for (const auto& row : rows) {
        ChildProcess run(row.args, row.output, row.file);
        const std::string said = run.rest();
        EXPECT_EQ(run.finish(), 1) << said; // never 0, nor diff's 3
        EXPECT_NE(said.find("standard output cannot be written: "), std::string::npos) << said;
    }
    ChildProcess batch(rows[0].args, ChildProcess::Output::WithErrors, "/dev/full");
    const std::string said = batch.rest();
    EXPECT_NE(said.find("stopped, 2 not started"), std::string::npos) << said;
}

TEST_F(BatchProcess, OneSignalSentTwiceAtOnceIsOneRequest) {
    startFleet(4);
    ChildProcess run(writeAll(4), ChildProcess::Output::OwnPipe);
    awaitSets(8);
    // GNU timeout signals the program, then its process group: two at once.
    ::kill(run.pid, SIGTERM);
    ::kill(run.pid, SIGTERM);
    const std::string said = run.rest();
    EXPECT_EQ(run.finish(), 143) << said;
    EXPECT_NE(said.find("stopping:"), std::string::npos) << said;
    EXPECT_EQ(said.find("ended at once"), std::string::npos) << said;
    EXPECT_EQ(expectNoneHalfWritten(), 4u) << said;
}

TEST_F(BatchProcess, ALaterSignalEndsAtOnceAndNamesWhatItLeftHalfWritten) {
    startFleet(2, 60); // a write of several seconds
    ChildProcess run(writeAll(2), ChildProcess::Output::OwnPipe);
    awaitSets(4);
    ::kill(run.pid, SIGINT);
    ASSERT_NE(run.until("stopping:"), "");
    std::this_thread::sleep_for(1100ms); // past the second that makes two signals one request
    ::kill(run.pid, SIGINT);
    const std::string said = run.rest();
    EXPECT_EQ(run.finish(), 130) << said;
    EXPECT_NE(said.find("ended at once; these converters were being written"), std::string::npos)
        << said;
    for (std::size_t i = 0; i < fleet->size(); ++i)
        EXPECT_NE(said.find("  " + host(i) + "\n"), std::string::npos) << said;
}

// --- the list -------------------------------------------------------------------------------

TEST_F(BatchProcess, AListIsCheckedWholeBeforeAnythingIsSent) {
    startFleet(1, 0);
    const std::string port = std::to_string(fleet->port());
    struct Row {
        std::string list;
        std::string says;
    };
    const Row rows[] = {
        {"host\n127.88.0.1\xff:" + port + "\n", "line 2: \"127.88.0.1\\xff\""},
        {std::string("host\n127.88.0.1\0junk\n", sizeof "host\n127.88.0.1\0junk\n" - 1),
         "line 2: \"127.88.0.1\\x00junk\""},
        {"host\n\"127.88.0.1 x\"\n", "line 2"},
        {"host\n\"127.88.0.1\"\"\"\n", "line 2"},
        {"host\n127.0.0.1:" + port + "\nlocalhost:" + port + "\n", "line 3: \"localhost:"},
        {"host\nLOCALHOST\nlocalhost\n", "line 3"},
        {"host\n127.88.0.1\n127.88.0.1:161\n", "line 3"},
        {"host," + std::string(300, 'x') + "\n127.88.0.1,1\n", "xxx\u2026\" is not a converter"},
    };
    for (const auto& row : rows) {
        std::ofstream(scratch / "hosts.csv", std::ios::binary) << row.list;
        ChildProcess run(cli({"--hosts", (scratch / "hosts.csv").string(), "read"}));
        const std::string said = run.rest();
        EXPECT_EQ(run.finish(), 2) << said;
        EXPECT_NE(said.find(row.says), std::string::npos) << said;
        EXPECT_LT(said.size(), 400u) << said;
    }
    EXPECT_TRUE(log.lines().empty()) << "nothing was sent";
}

TEST_F(BatchProcess, APortThatIsNoTextStaysValidUtf8InItsLine) {
    startFleet(1, 0);
    std::ofstream(scratch / "hosts.csv", std::ios::binary)
        << "host,port\n"
        << host(0) << ",\n,/dev/ttyNone\xE9\x01\n";
    ChildProcess run(cli({"--hosts", (scratch / "hosts.csv").string(), "read"}),
                     ChildProcess::Output::OwnPipe);
    std::map<std::string, std::string> statuses;
    for (std::string line = run.outputLine(); !line.empty(); line = run.outputLine()) {
        const auto j = nlohmann::json::parse(line); // throws on a line that is not UTF-8
        statuses[j.contains("port") ? j["port"] : j["host"]] = j["status"];
    }
    EXPECT_EQ(run.finish(), 1);
    EXPECT_EQ(statuses["/dev/ttyNone\\xe9\\x01"], "failed");
    EXPECT_EQ(statuses[host(0)], "ok");
}

TEST_F(BatchProcess, JobsBeyondTheOpenFileLimitAreFittedToIt) {
    startFleet(120, 0);
    std::vector<std::string> args = {"/bin/sh", "-c", "ulimit -n 64 && exec \"$0\" \"$@\""};
    for (auto& a : cli({"--hosts", (scratch / "hosts.csv").string(), "--jobs", "600", "read"}))
        args.push_back(a);
    ChildProcess run(args, ChildProcess::Output::Closed, "/dev/null");
    const std::string said = run.rest();
    EXPECT_EQ(run.finish(), 0) << said;
    EXPECT_NE(said.find("--jobs 600 is more than the open-file limit allows"), std::string::npos)
        << said;
    EXPECT_NE(said.find("120 converters: 120 ok"), std::string::npos) << said;
}

// --- output files ---------------------------------------------------------------------------

TEST_F(BatchProcess, ReadOutputFollowsALinkAndGivesUpAFifoOnCtrlC) {
    startFleet(1, 0);
    fs::create_symlink("backups/c1.json", scratch / "latest.json");
    fs::create_directory(scratch / "backups");
    ChildProcess toLink(
        cli({"--host", host(0), "read", "--output", (scratch / "latest.json").string()}));
    EXPECT_EQ(toLink.finish(), 0) << toLink.rest();
    EXPECT_TRUE(fs::is_symlink(scratch / "latest.json"));
    EXPECT_TRUE(fs::is_regular_file(scratch / "backups/c1.json"));

    ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
    log.clear();
    ChildProcess toFifo(cli({"--host", host(0), "read", "--output", (scratch / "fifo").string()}));
    // The version is the read's last request; the program then waits for the FIFO's reader.
    for (;;) {
        const auto lines = log.lines();
        if (!lines.empty() && lines.back().rfind("snmp version", 0) == 0) break;
        std::this_thread::sleep_for(5ms);
    }
    ::kill(toFifo.pid, SIGINT);
    const std::string said = toFifo.rest();
    EXPECT_EQ(toFifo.finish(), 130) << said;
}

} // namespace
} // namespace varnadex::test
