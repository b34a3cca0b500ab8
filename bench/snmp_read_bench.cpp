// A whole Read Conf over SNMP from the simulator's agent on loopback, timed against the floor
// that a fixed 20 ms sleep per transaction would impose.
#include "app/MessageCatalogue.h"
#include "config/ConfigProcedures.h"
#include "platform/PosixUdpSocket.h"
#include "platform/SystemClock.h"
#include "sim/SnmpAgent.h"
#include "snmp/SnmpConnection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace varnadex;

namespace {

class QuietSink : public IMessageSink {
public:
    void show(MessageKind, const std::string&) override {}
};

} // namespace

int main() {
    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SnmpAgent agent(memory, log);
    if (!agent.start("127.0.0.1", 0)) {
        std::fprintf(stderr, "cannot start the SNMP agent\n");
        return 1;
    }
    MessageCatalogue catalogue;
    catalogue.fill(1);
    QuietSink sink;
    SystemClock clock;
    PosixUdpSocket udp;
    CSnmpSocket snmp(udp, clock, catalogue);
    ConfigProcedures procedures(sink, catalogue);

    constexpr int kRuns = 30;
    std::vector<double> times;
    std::size_t transactions = 0;
    for (int run = 0; run < kRuns; ++run) {
        ConverterConfig config;
        config.accessMode = 1;
        config.agentHost = "127.0.0.1:" + std::to_string(agent.port());
        SnmpConnection connection(snmp, config);
        log.clear();
        const auto start = std::chrono::steady_clock::now();
        const OpResult result = procedures.ReadConf(config, connection);
        const auto took = std::chrono::steady_clock::now() - start;
        if (result != OpResult::Ok) {
            std::fprintf(stderr, "read failed in run %d\n", run);
            return 1;
        }
        transactions = log.lines().size();
        times.push_back(std::chrono::duration<double, std::milli>(took).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double floorMs = 20.0 * static_cast<double>(transactions);
    std::printf("snmp full read over loopback (%d runs)\n", kRuns);
    std::printf("  transactions per read : %zu (58 registers + community characters + version)\n",
                transactions);
    std::printf("  time per read         : median %.2f ms, best %.2f ms, worst %.2f ms\n", median,
                times.front(), times.back());
    std::printf("  floor of fixed sleeps : %.0f ms (20 ms x %zu)\n", floorMs, transactions);
    std::printf("  ratio                 : %.2f%% of the floor (target: under 5%%)\n",
                100.0 * median / floorMs);
    return 0;
}
