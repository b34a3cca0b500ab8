#pragma once

// Helpers of the serial tests: a scripted port on virtual time for what a pty cannot show,
// a bare pty pair for the exact bytes on the wire, and the simulator on a real pty.

#include "app/MessageCatalogue.h"
#include "config/TypedAccessors.h"
#include "platform/PosixSerialPort.h"
#include "platform/SystemClock.h"
#include "serial/SerialLink.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingSink.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace varnadex::test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// A port whose converter answers from a script, on the fake clock. Each frame written takes
// the next reply script; its chunks arrive at their offsets from the moment the frame has
// crossed a 9600 b/s line, as no converter can answer sooner.
class ScriptedPort : public ISerialPort {
public:
    struct Chunk {
        Micros at;
        Bytes bytes;
    };
    using Reply = std::vector<Chunk>;

    explicit ScriptedPort(FakeClock& clock) : clock_(clock), now_(clock.now()) {}

    bool open(const std::string& name, int speed) override {
        sync();
        events.push_back("open " + name + " " + std::to_string(speed));
        if (!openSucceeds) return false;
        open_ = true;
        for (auto& c : waitingAtOpen)
            line_.push_back({now_ + c.at, c.bytes});
        waitingAtOpen.clear();
        return true;
    }
    void close() override {
        events.push_back("close");
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override {
        sync();
        written.emplace_back(bytes.begin(), bytes.end());
        events.push_back("write");
        if (!writeSucceeds) return false;
        lineFree_ = std::max(lineFree_, now_) + kCharTime * static_cast<long>(bytes.size());
        if (!replies.empty()) {
            for (auto& c : replies.front())
                line_.push_back({lineFree_ + c.at, c.bytes});
            replies.pop_front();
        }
        return true;
    }
    int read(std::span<std::uint8_t> buffer, Micros timeout) override {
        if (!open_) return -1;
        sync();
        if (babbles) {
            advance(Micros(1042));
            buffer[0] = 0x55;
            return 1;
        }
        auto next = std::min_element(line_.begin(), line_.end(),
                                     [](auto& a, auto& b) { return a.at < b.at; });
        if (next == line_.end() || next->at > now_ + timeout) {
            advance(timeout);
            return 0;
        }
        if (next->at > now_) advance(next->at - now_);
        const std::size_t n = std::min(buffer.size(), next->bytes.size());
        std::copy_n(next->bytes.begin(), n, buffer.begin());
        next->bytes.erase(next->bytes.begin(), next->bytes.begin() + static_cast<long>(n));
        if (next->bytes.empty()) line_.erase(next);
        return static_cast<int>(n);
    }
    void drainOutput(Micros) override {
        sync();
        events.push_back("drain");
        if (lineFree_ > now_) advance(lineFree_ - now_);
    }
    void discardInput() override {
        sync();
        events.push_back("discard");
        std::erase_if(line_, [&](const Chunk& c) { return c.at <= now_; });
    }

    std::deque<Reply> replies;
    Reply waitingAtOpen;
    bool openSucceeds = true;
    bool writeSucceeds = true;
    bool babbles = false;
    std::vector<Bytes> written;
    std::vector<std::string> events;

private:
    // Time the test moved the clock on passes on the line too.
    void sync() {
        if (clock_.now() > std::chrono::duration_cast<Millis>(now_)) now_ = clock_.now();
    }
    void advance(Micros d) {
        now_ += d;
        const auto target = std::chrono::duration_cast<Millis>(now_);
        if (target > clock_.now()) clock_.advance(target - clock_.now());
    }

    FakeClock& clock_;
    Micros now_;
    Micros lineFree_{0}; // when what was written has crossed the line
    bool open_ = false;
    std::vector<Chunk> line_;
};

// A bare pty pair: the test plays the converter byte for byte on the master side.
class RawPty {
public:
    RawPty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128] = {};
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
            ::ptsname_r(master_, name, sizeof name) == 0)
            path = name;
        // Held open, raw, so that nothing echoes before the port under test is opened.
        keep_ = ::open(name, O_RDWR | O_NOCTTY);
        termios tio{};
        if (keep_ >= 0 && ::tcgetattr(keep_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(keep_, TCSANOW, &tio);
        }
    }
    ~RawPty() {
        if (keep_ >= 0) ::close(keep_);
        if (master_ >= 0) ::close(master_);
    }
    // Exactly n bytes from the program, or fewer when 2 s pass.
    Bytes take(std::size_t n) {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + 2s;
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) != 1) continue;
            std::uint8_t b[64];
            const ssize_t got = ::read(master_, b, std::min<std::size_t>(n - out.size(), 64));
            if (got > 0) out.insert(out.end(), b, b + got);
        }
        // The converter has a frame once it has crossed the line, and the first byte of its
        // answer takes a character's time more.
        std::this_thread::sleep_for(kCharTime * static_cast<long>(n + 1));
        return out;
    }
    void send(const Bytes& bytes) {
        if (::write(master_, bytes.data(), bytes.size()) < 0) path.clear();
    }
    std::string path;

private:
    int master_ = -1;
    int keep_ = -1;
};

// The simulator on a real pty, the program's port opened on it, and the serial accessors.
struct SimulatedConverter {
    explicit SimulatedConverter(sim::SerialFaults faults = {}, int language = 1)
        : converter(memory, log, faults), link(port, clock, catalogue), accessors(link) {
        catalogue.fill(language);
        started = converter.start();
    }
    // Opened without the drain of OpenPort, which costs a silent second.
    bool openQuickly() { return port.open(converter.slavePath(), kConverterSpeed); }

    // The frames the simulator has logged, apart from the lead-in.
    std::vector<std::string> frames() const {
        auto lines = log.lines();
        std::erase_if(lines, [](const std::string& l) { return l.rfind("serial leadin", 0) == 0; });
        return lines;
    }
    // Waits for the simulator to log a line.
    bool logged(const std::string& line, std::chrono::milliseconds within = 1000ms) const {
        const auto end = std::chrono::steady_clock::now() + within;
        do {
            auto lines = log.lines();
            if (std::find(lines.begin(), lines.end(), line) != lines.end()) return true;
            std::this_thread::sleep_for(5ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

    sim::RegisterMemory memory;
    sim::SimLog log;
    sim::SerialConverter converter;
    bool started = false;
    MessageCatalogue catalogue;
    RecordingSink sink;
    SystemClock clock;
    PosixSerialPort port;
    CSerialLink link;
    TypedAccessors accessors;
};

} // namespace varnadex::test
