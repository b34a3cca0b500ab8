// A whole Read Conf, as the window and the CLI run it, against the simulator: over the serial
// link at 9600 b/s pacing next to its floor (the port's drain plus the bytes on the wire),
// and over SNMP on loopback next to the floor the fixed sleeps of old imposed (20 ms a
// transaction). Prints medians of several runs.
//
// Then over SNMP through the simulator's link: round trips of 50, 300 and 900 ms, and 500 ms
// with 5% of the datagrams lost each way. A read is 65 transactions, so its floor is 65 round
// trips; printed with the requests sent per transaction (each that reached the agent, and each
// lost on its way there). One read a case: each takes up to a minute.
//   readconf_bench [RUNS]

#include "maintenance/FirmwareFile.h"
#include "operations/ConverterOperations.h"
#include "platform/PosixSerialPort.h"
#include "platform/PosixUdpSocket.h"
#include "platform/SystemClock.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"
#include "sim/SnmpAgent.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

using namespace varnadex;

namespace {

class NullSink : public IMessageSink {
public:
    void show(MessageKind, const std::string&) override {}
};

// The program's side, as the window and the CLI build it.
struct Program {
    Program() { catalogue.fill(1); }
    PosixSerialPort port;
    PosixUdpSocket socket;
    SystemClock clock;
    FirmwareFile file;
    MessageCatalogue catalogue;
    NullSink sink;
    ConverterOperations operations{port, socket, clock, file, sink, catalogue};
};

// The reads through slow and lossy links; false when one failed.
bool readThroughLinks() {
    constexpr int kTransactions = 65;
    std::printf("\nround trip  loss  floor (65 x RTT)  read      x floor  requests/transaction\n");
    bool allRead = true;
    for (const auto& [roundTripMs, lossPercent] :
         {std::pair{50, 0.0}, std::pair{300, 0.0}, std::pair{900, 0.0}, std::pair{500, 5.0}}) {
        sim::RegisterMemory memory;
        sim::SimLog log;
        sim::SnmpAgent agent(memory, log, {});
        agent.setLink({.delayMs = roundTripMs, .lossPercent = lossPercent});
        if (!agent.start("127.0.0.1", 0)) return false;
        Program program;
        ConverterConfig config;
        config.applyLateDefaults();
        config.accessMode = 1;
        config.agentHost = "127.0.0.1:" + std::to_string(agent.port());
        const auto start = std::chrono::steady_clock::now();
        const bool read = program.operations.ReadConf(config);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // An answer lost on its way out leaves its request logged as carried out.
        std::size_t requests = 0;
        for (const auto& line : log.lines())
            if (line.rfind("snmp ", 0) == 0 && line.find("dropped-out") == std::string::npos)
                ++requests;
        const double floor = kTransactions * roundTripMs / 1000.0;
        std::printf("%7d ms  %3.0f%%  %12.1f s  %6.1f s  %7.2f  %20.2f%s\n", roundTripMs,
                    lossPercent, floor, seconds, seconds / floor, double(requests) / kTransactions,
                    read ? "" : "  FAILED");
        std::fflush(stdout);
        allRead = allRead && read;
    }
    return allRead;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SerialConverter serial(memory, log);
    sim::SnmpAgent agent(memory, log, {});
    if (!serial.start() || !agent.start("127.0.0.1", 0)) {
        std::fprintf(stderr, "readconf_bench: the simulator did not start\n");
        return 1;
    }
    Program program;
    for (int mode : {0, 1}) {
        std::vector<double> times;
        std::size_t transactions = 0;
        for (int i = 0; i < runs; ++i) {
            ConverterConfig config;
            config.applyLateDefaults();
            config.accessMode = mode;
            config.comPort = serial.slavePath();
            config.agentHost = "127.0.0.1:" + std::to_string(agent.port());
            log.clear();
            auto start = std::chrono::steady_clock::now();
            if (!program.operations.ReadConf(config)) {
                std::fprintf(stderr, "readconf_bench: the read failed\n");
                return 1;
            }
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
            transactions = 0;
            for (const auto& line : log.lines())
                if (line.find(" leadin") == std::string::npos) ++transactions;
        }
        const double t = median(times);
        if (mode == 0) {
            // Drain: one read time-out of silence. Wire: lead-in, 4-byte read frames and their
            // 3-byte replies, the version query and its 4-byte reply, 1.0417 ms a byte.
            const std::size_t reads = transactions - 1;
            const double wire = (6 + 4 * reads + 3 * reads + 1 + 4) * (10.0 / 9.6);
            const double floor = 1000.0 + wire;
            std::printf("serial: full read, %zu exchanges: median %.1f ms; floor %.1f ms "
                        "(drain 1000 + wire %.1f); ratio %.3f\n",
                        transactions, t, floor, wire, t / floor);
        } else {
            const double floor = 20.0 * static_cast<double>(transactions);
            std::printf("snmp:   full read, %zu transactions: median %.2f ms; fixed-sleep floor "
                        "%.0f ms; share %.2f%%\n",
                        transactions, t, floor, 100.0 * t / floor);
        }
    }
    agent.stop();
    serial.stop();
    std::fflush(stdout);
    if (!readThroughLinks()) {
        std::fprintf(stderr, "readconf_bench: a read through a slow link failed\n");
        return 1;
    }
    return 0;
}
