// A batch over a fleet of simulated converters, as `varnadex-cli --hosts` runs it: 256 SNMP
// agents in this process, each with its own registers, on consecutive loopback addresses
// from 127.1.0.1. Times a batch read of every full configuration next to what fixed 20 ms
// sleeps would take and next to the same reads one after another at the loopback round
// trip; then an apply that changes every converter, and one that finds nothing to change.

#include "app/MessageCatalogue.h"
#include "cli/CliApp.h"
#include "config/ConfigFile.h"
#include "config/RegisterMap.h"
#include "platform/SystemClock.h"
#include "sim/RegisterMemory.h"
#include "sim/SimLog.h"
#include "sim/SnmpAgent.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace varnadex;

namespace {

constexpr int kConverters = 256;
constexpr double kFixedSleepMs = 20.0;

struct Converter {
    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SnmpAgent agent{memory, log};
    std::string host;
};

struct Run {
    int status = 0;
    double seconds = 0;
    std::size_t lines = 0;
    std::size_t ok = 0; // lines whose status is the expected one
};

Run timedOnce(CliEnvironment& env, std::ostringstream& out, const std::vector<std::string>& args,
              const std::string& expected) {
    out.str("");
    const auto start = std::chrono::steady_clock::now();
    Run r;
    r.status = runCli(args, env);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        ++r.lines;
        if (line.find("\"status\":\"" + expected + "\"") != std::string::npos) ++r.ok;
    }
    return r;
}

constexpr int kRuns = 3;

// The median of a few runs: the machine is shared, and one run can land on a busy moment.
// `before` sets the fleet up for each run.
Run timed(
    CliEnvironment& env, std::ostringstream& out, const std::vector<std::string>& args,
    const std::string& expected, const std::function<void()>& before = [] {}) {
    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i) {
        before();
        runs.push_back(timedOnce(env, out, args, expected));
    }
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

} // namespace

int main() {
    // Each agent holds a socket and a wake-up pipe.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    std::vector<std::unique_ptr<Converter>> fleet;
    std::string list = "host\n";
    for (int i = 1; i <= kConverters; ++i) {
        auto c = std::make_unique<Converter>();
        const std::string address =
            "127.1." + std::to_string(i / 256) + "." + std::to_string(i % 256);
        if (!c->agent.start(address, 0)) {
            std::fprintf(stderr, "cannot start an agent on %s\n", address.c_str());
            return 1;
        }
        c->host = address + ":" + std::to_string(c->agent.port());
        list += c->host + "\n";
        fleet.push_back(std::move(c));
    }
    const auto dir = std::filesystem::temp_directory_path() / "varnadex-fleet-bench";
    std::filesystem::create_directories(dir);
    const auto hosts = (dir / "hosts.csv").string();
    std::ofstream(hosts) << list;
    ConverterConfig wanted;
    wanted.ipAddress = "10.1.2.3";
    wanted.snmpCommunity = "fleet1234";
    const auto conf = (dir / "template.json").string();
    std::ofstream(conf) << configToJson(wanted);

    std::ostringstream out, err;
    SystemClock clock;
    CliEnvironment env{(dir / "varnadex-cli").string(), out, err, false, makeOperations, clock};

    // One converter alone: the loopback round trip of one transaction.
    // One converter alone, after a first read that warms the caches: the loopback round trip
    // of one transaction.
    timedOnce(env, out, {"--host", fleet[0]->host, "read"}, "");
    fleet[0]->log.clear();
    timedOnce(env, out, {"--host", fleet[0]->host, "read"}, "");
    const std::size_t transactions = fleet[0]->log.lines().size();
    const Run single = timed(env, out, {"--host", fleet[0]->host, "read"}, "");
    const double roundTripMs = 1000.0 * single.seconds / static_cast<double>(transactions);

    const Run read = timed(env, out, {"--hosts", hosts, "read"}, "ok");
    std::vector<std::pair<int, Run>> byJobs;
    for (int jobs : {1, 4, 128})
        byJobs.emplace_back(
            jobs,
            timed(env, out, {"--hosts", hosts, "--jobs", std::to_string(jobs), "read"}, "ok"));
    const auto factoryState = [&] {
        for (auto& c : fleet)
            c->memory.load(registerImage(ConverterConfig{}));
    };
    const Run apply = timed(env, out, {"--hosts", hosts, "apply", conf}, "changed", factoryState);
    const Run again = timed(env, out, {"--hosts", hosts, "apply", conf}, "unchanged");
    std::filesystem::remove_all(dir);

    const double sleeps = kConverters * static_cast<double>(transactions) * kFixedSleepMs / 1000.0;
    const double oneByOne = kConverters * single.seconds;
    std::printf(
        "fleet of %d simulated converters on 127.1.0.1 onwards, --jobs 32, median of %d runs\n",
        kConverters, kRuns);
    std::printf("  transactions per full read  : %zu\n", transactions);
    std::printf("  loopback round trip         : %.3f ms (one converter's read: %.1f ms)\n",
                roundTripMs, 1000.0 * single.seconds);
    std::printf("  batch read of %d           : %.2f s, %zu/%d ok, exit %d (target: under 2 s)\n",
                kConverters, read.seconds, read.ok, kConverters, read.status);
    std::printf("    fixed 20 ms sleeps        : %.0f s (%d x %zu x 20 ms)\n", sleeps, kConverters,
                transactions);
    std::printf("    one after another         : %.2f s (%d x one read)\n", oneByOne, kConverters);
    for (const auto& [jobs, run] : byJobs)
        std::printf("    with --jobs %-3d           : %.2f s, %zu/%d ok\n", jobs, run.seconds,
                    run.ok, kConverters);
    std::printf("  apply, every one changed    : %.2f s, %zu/%d changed, exit %d\n", apply.seconds,
                apply.ok, kConverters, apply.status);
    std::printf("  apply again, none changed   : %.2f s, %zu/%d unchanged, exit %d\n",
                again.seconds, again.ok, kConverters, again.status);
    return read.ok == kConverters && apply.ok == kConverters && again.ok == kConverters ? 0 : 1;
}
