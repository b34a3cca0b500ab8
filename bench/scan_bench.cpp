// A scan of a /20 on loopback that holds 256 simulated converters, one every 16 addresses,
// timed against its floor: the first probes at the rate, then one attempt schedule. Every empty
// address on loopback refuses at once, so the whole schedule is only waited out for addresses
// that stay silent; the second figure makes the 256 agents silent with a wrong community. Then
// one scan at 100,000 probes a second counts the datagrams sent against the fewest that would
// do: one version request an address, and one request a register read from each converter.
#include "platform/PosixProbeSocket.h"
#include "platform/SystemClock.h"
#include "sim/SnmpFleet.h"
#include "snmp/Scanner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace varnadex;

namespace {

// The scanner's socket, counting what it sends.
class CountingSocket : public IProbeSocket {
public:
    bool open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    bool sendTo(Ipv4Address to, std::uint16_t port, std::span<const std::uint8_t> bytes) override {
        ++sent;
        return inner_.sendTo(to, port, bytes);
    }
    ProbeEvent receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) override {
        return inner_.receiveFrom(buffer, timeout);
    }
    std::size_t sent = 0;

private:
    PosixProbeSocket inner_;
};

} // namespace

int main() {
    constexpr Ipv4Address kRange = 0x7F580000; // 127.88.0.0/20, loopback only
    constexpr int kAddresses = 4096;
    constexpr int kConverters = 256;
    constexpr unsigned kRate = 20000;
    constexpr int kRuns = 5;

    sim::SimLog log;
    sim::SnmpFleet fleet(log);
    if (!fleet.start(kRange + 1, 0, kConverters, kAddresses / kConverters)) {
        std::fprintf(stderr, "cannot start the simulated fleet\n");
        return 1;
    }
    std::vector<Ipv4Address> addresses;
    for (int i = 0; i < kAddresses; ++i)
        addresses.push_back(kRange + static_cast<Ipv4Address>(i));

    SystemClock clock;
    int converters = 0, refused = 0, silent = 0, partial = 0;
    const auto scan = [&](const std::string& community, std::vector<double>& times) {
        converters = refused = silent = partial = 0;
        PosixProbeSocket socket;
        Scanner scanner(socket, clock, {fleet.port(), community, kRate});
        const auto start = std::chrono::steady_clock::now();
        const ScanEnd end = scanner.run(addresses, [&](const ScanFinding& f) {
            switch (f.status) {
            case ScanStatus::Converter:
                ++converters;
                if (!f.values.back().second) ++partial;
                break;
            case ScanStatus::Refused:
                ++refused;
                break;
            default:
                ++silent;
            }
        });
        const auto took = std::chrono::steady_clock::now() - start;
        times.push_back(std::chrono::duration<double>(took).count());
        return end == ScanEnd::Finished;
    };
    std::vector<double> times, silentTimes;
    for (int run = 0; run < kRuns; ++run) {
        if (!scan("kelvin", times) || converters != kConverters) {
            std::fprintf(stderr, "run %d: found %d of %d converters\n", run, converters,
                         kConverters);
            return 1;
        }
    }
    const int found = converters, foundPartial = partial, foundRefused = refused,
              foundSilent = silent;
    for (int run = 0; run < kRuns; ++run) {
        if (!scan("wrong", silentTimes) || silent != kConverters) {
            std::fprintf(stderr, "run %d: %d of %d agents silent\n", run, silent, kConverters);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(silentTimes.begin(), silentTimes.end());
    const double floor =
        double(kAddresses) / kRate + AttemptSchedule::quickTotal().count() / 1000.0;
    std::printf("scan of a /20 with %d simulated converters on loopback at --rate %u (%d runs)\n",
                kConverters, kRate, kRuns);
    std::printf("  found (last run)  : %d converters (%d incomplete), %d refused, %d no answer\n",
                found, foundPartial, foundRefused, foundSilent);
    std::printf("  time per scan     : median %.2f s, best %.2f s, worst %.2f s\n",
                times[times.size() / 2], times.front(), times.back());
    std::printf(
        "  agents silent     : median %.2f s, best %.2f s, worst %.2f s (wrong community)\n",
        silentTimes[silentTimes.size() / 2], silentTimes.front(), silentTimes.back());
    std::printf("  floor             : %.2f s (%d / %u per second + one 2.1 s attempt schedule)\n",
                floor, kAddresses, kRate);
    std::printf("  target            : under 3 s\n");

    // Registers a scan reads from each converter, after its version.
    std::size_t registers = 0;
    for (const Field& field : fields())
        if (uses(field, Scanned)) registers += field.count;
    constexpr unsigned kBurstRate = 100000;
    CountingSocket counting;
    Scanner burst(counting, clock, {fleet.port(), "kelvin", kBurstRate});
    int burstFound = 0;
    burst.run(addresses,
              [&](const ScanFinding& f) { burstFound += f.status == ScanStatus::Converter; });
    const std::size_t fewest = kAddresses + kConverters * registers;
    std::printf("at --rate %u      : %zu datagrams sent, %zu would do (%.2f a request), %d "
                "converters found\n",
                kBurstRate, counting.sent, fewest, double(counting.sent) / double(fewest),
                burstFound);
    return 0;
}
