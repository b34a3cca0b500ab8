// Time to read a whole configuration over the serial link from the simulator, in Read Conf's
// order (the fields, the community's characters and the version), next to the time its bytes
// take on a 9600 b/s line: the simulator holds each frame until it has crossed the line and
// paces its replies. The drain on open is left out: it is one silent second by design.

#include "config/RegisterMap.h"
#include "config/TypedAccessors.h"
#include "platform/PosixSerialPort.h"
#include "platform/SystemClock.h"
#include "serial/SerialFrames.h"
#include "serial/SerialLink.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace varnadex;
using Steady = std::chrono::steady_clock;

constexpr double kCharMs = 10.0 * 1000.0 / 9600.0; // start, eight data and stop bits
constexpr double kTarget = 1.25;
constexpr int kRuns = 7;

bool readAll(TypedAccessors& a) {
    std::string text;
    std::uint8_t byte = 0;
    for (const TransferStep& step : readOrder()) {
        const Field* f = step.field;
        int ok = 0;
        switch (f->kind) {
        case AccessorKind::Mac:
            ok = a.GetMac(f->first, text);
            break;
        case AccessorKind::Ipv4:
            ok = a.GetIp(f->first, text);
            break;
        case AccessorKind::Word:
            ok = a.GetWord(f->first, text);
            break;
        case AccessorKind::Hex:
            ok = a.GetHex(f->first, text);
            break;
        case AccessorKind::Byte:
            ok = a.GetByte(f->first, byte);
            if (ok && f->rule == Rule::Community) {
                const int length = std::min<int>(byte, kCommunityMaxLength);
                for (int i = 0; ok && i < length; ++i)
                    ok = a.GetByte(static_cast<std::uint8_t>(f->first + 1 + i), byte);
            }
            break;
        }
        if (!ok) return false;
    }
    return a.GetVersion() != "Unknown";
}

struct Result {
    double medianMs = 0, bestMs = 0, floorMs = 0;
    int exchanges = 0, bytes = 0;
    bool ok = false;
};

Result measure() {
    Result r;
    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SerialConverter converter(memory, log);
    if (!converter.start()) return r;
    MessageCatalogue catalogue;
    catalogue.fill(1);
    SystemClock clock;
    PosixSerialPort port;
    CSerialLink link(port, clock, catalogue);
    TypedAccessors accessors(link);
    if (!port.open(converter.slavePath(), kConverterSpeed)) return r;
    link.SendLeadIn();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        log.clear();
        const auto start = Steady::now();
        if (!readAll(accessors)) return r;
        times.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
    }
    int reads = 0, versions = 0;
    for (const auto& line : log.lines()) {
        reads += line.rfind("serial read ", 0) == 0;
        versions += line == "serial version";
    }
    // The simulator's replies: 'O', one byte, then the data.
    const int out = reads * kReadByteFrameSize + versions * kVersionFrameSize;
    const int in = reads * kReadByteReplySize + versions * kVersionReplySize;
    std::sort(times.begin(), times.end());
    r.exchanges = reads + versions;
    r.bytes = out + in;
    r.floorMs = r.bytes * kCharMs;
    r.medianMs = times[times.size() / 2];
    r.bestMs = times.front();
    r.ok = true;
    return r;
}

void print(const char* what, const Result& r) {
    if (!r.ok) {
        std::printf("%-44s  FAILED: the read did not complete\n", what);
        return;
    }
    const double ratio = r.medianMs / r.floorMs;
    std::printf("%-44s  median %6.1f ms  best %6.1f ms  floor %6.1f ms  ratio %.3f  %s\n", what,
                r.medianMs, r.bestMs, r.floorMs, ratio,
                ratio <= kTarget ? "within target" : "OVER TARGET");
}

} // namespace

int main() {
    const Result r = measure();
    std::printf("serial read of a full configuration: %d exchanges, %d bytes on the wire, "
                "median of %d runs; the simulator paces frames and replies as a line would\n",
                r.exchanges, r.bytes, kRuns);
    std::printf("floor: every byte of every frame and reply at %.3f ms (9600 b/s, 10 bits); "
                "target: ratio <= %.2f\n",
                kCharMs, kTarget);
    print("read", r);
    if (r.ok && r.exchanges > 0) {
        // What the link adds to each exchange beyond the bytes on the line.
        std::printf("per exchange beyond the wire: %.2f ms\n",
                    (r.medianMs - r.floorMs) / r.exchanges);
    }
    return r.ok ? 0 : 1;
}
