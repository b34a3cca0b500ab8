// Effective rate of a 20 KB firmware image sent to the simulated converter, with the port's
// writes held to 9600 b/s as a converter's UART holds them, next to the line's limit of 960
// bytes a second; and the share of the streaming time spent waiting at checkpoints, where
// the program reads for up to a second while a converter with nothing to say keeps quiet.
// The download runs as the window runs it: Start, then a tick every 1000 ms that does not
// queue up behind a tick that overran.

#include "app/MessageCatalogue.h"
#include "maintenance/FirmwareFile.h"
#include "maintenance/FirmwareUpgrade.h"
#include "platform/PosixSerialPort.h"
#include "platform/SystemClock.h"
#include "serial/SerialLink.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using namespace varnadex;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

constexpr std::size_t kImageBytes = 20 * 1024;
constexpr double kLineBytesPerSecond = 960.0; // 9600 b/s, ten bits a character
constexpr auto kCharTime = std::chrono::nanoseconds(1'041'667);
constexpr int kFifoBytes = 16;
// The design's own ceiling: the line's limit, less a silent second every 10000 file bytes.
constexpr double kCheckpointEvery = 10000.0;
constexpr double kTarget = 0.95; // of that ceiling

double seconds(Steady::duration d) {
    return std::chrono::duration<double>(d).count();
}

class PrintSink : public IMessageSink {
public:
    void show(MessageKind, const std::string& text) override { last = text; }
    std::string last;
};

// A pty port whose writes return once their bytes fit in a 16-byte transmit FIFO draining at
// 9600 b/s, as a UART's do, and which adds up the time spent in reads while `timing` is set.
// The FIFO keeps a late wake-up from the sleep from idling the line.
class LinePacedPort : public PosixSerialPort {
public:
    bool write(std::span<const std::uint8_t> bytes) override {
        lineFree_ = std::max(Steady::now(), lineFree_) + kCharTime * bytes.size();
        if (!PosixSerialPort::write(bytes)) return false;
        std::this_thread::sleep_until(lineFree_ - kCharTime * kFifoBytes);
        return true;
    }
    int read(std::span<std::uint8_t> buffer, Micros timeout) override {
        const auto start = Steady::now();
        const int n = PosixSerialPort::read(buffer, timeout);
        if (timing) readTime += Steady::now() - start;
        return n;
    }
    bool timing = false;
    Steady::duration readTime{};

private:
    Steady::time_point lineFree_{};
};

} // namespace

int main() {
    const auto path = std::filesystem::temp_directory_path() /
                      ("varnadex-fw-bench-" + std::to_string(::getpid()) + ".qfw");
    {
        std::ofstream out(path, std::ios::binary);
        std::vector<char> bytes(kFirmwareHeaderSize + kImageBytes);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 31);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::BootFaults boot;
    boot.startInLoader = true; // the restart's fixed pauses are not the transfer's
    boot.imageSize = kImageBytes;
    sim::SerialConverter converter(memory, log, {}, boot);
    if (!converter.start()) {
        std::fprintf(stderr, "firmware_bench: no pty\n");
        return 1;
    }
    MessageCatalogue catalogue;
    catalogue.fill(1);
    PrintSink sink;
    SystemClock clock;
    LinePacedPort port;
    CSerialLink link(port, clock, catalogue);
    FirmwareFile file;
    FirmwareUpgrade upgrade(link, file, clock, sink, catalogue);

    const auto started = Steady::now();
    if (!upgrade.Start(converter.slavePath(), path.string())) {
        std::fprintf(stderr, "firmware_bench: the download did not start: %s\n", sink.last.c_str());
        std::filesystem::remove(path);
        return 1;
    }
    const auto transferring = Steady::now();
    auto next = transferring + 1000ms;
    Steady::time_point firstTick{}, lastByteSent{};
    Steady::duration checkpointTime{}, verdictTime{};
    int ticks = 0;
    for (;;) {
        std::this_thread::sleep_until(next);
        const auto tickStart = Steady::now();
        if (ticks++ == 0) firstTick = tickStart;
        const bool finishing = upgrade.imageBytesSent() == upgrade.imageBytes();
        port.readTime = {};
        port.timing = true;
        const bool more = upgrade.Tick();
        port.timing = false;
        (finishing ? verdictTime : checkpointTime) += port.readTime;
        if (!finishing && upgrade.imageBytesSent() == upgrade.imageBytes())
            lastByteSent = Steady::now();
        if (!more) break;
        // A timer does not queue the ticks an overrunning tick missed.
        next = std::max(next + 1000ms, Steady::now());
    }
    const auto ended = Steady::now();
    converter.stop();
    std::filesystem::remove(path);

    const bool ok = upgrade.succeeded() && converter.receivedImage().size() == kImageBytes;
    const double streaming = seconds(lastByteSent - firstTick);
    const double rate = kImageBytes / streaming;
    const double endToEnd = kImageBytes / seconds(ended - started);
    std::printf("firmware download of a %zu-byte image (%zu-byte file), writes held to "
                "9600 b/s, %d ticks%s\n",
                kImageBytes, kImageBytes + kFirmwareHeaderSize, ticks,
                ok ? "" : "  FAILED: the image was not accepted whole");
    const double ceiling = 1.0 / (1.0 / kLineBytesPerSecond + 1.0 / kCheckpointEvery);
    std::printf("line limit: %.0f bytes/s; with a silent second at each checkpoint: %.0f "
                "bytes/s (%.3f of the line); target: streaming at >= %.2f of that\n",
                kLineBytesPerSecond, ceiling, ceiling / kLineBytesPerSecond, kTarget);
    std::printf("streaming (first tick to last byte): %6.2f s  %6.1f bytes/s  %.3f of the line  "
                "%.3f of the ceiling  %s\n",
                streaming, rate, rate / kLineBytesPerSecond, rate / ceiling,
                rate / ceiling >= kTarget ? "within target" : "UNDER TARGET");
    std::printf("waiting at %zu checkpoints:           %6.2f s  share of streaming %.1f%%\n",
                (kImageBytes + kFirmwareHeaderSize) / 10000, seconds(checkpointTime),
                100.0 * seconds(checkpointTime) / streaming);
    std::printf("start (drain, 'V', 'S' and its second): %5.2f s; first tick after %.2f s; "
                "verdict read %.2f s\n",
                seconds(transferring - started), seconds(firstTick - transferring),
                seconds(verdictTime));
    std::printf("end to end (Start to verdict):        %6.2f s  %6.1f bytes/s  %.3f of the line\n",
                seconds(ended - started), endToEnd, endToEnd / kLineBytesPerSecond);
    return ok ? 0 : 1;
}
