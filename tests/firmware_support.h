#pragma once

// Helpers of the firmware and reset tests: a firmware file in memory, a port whose converter
// is a callback on virtual time, and a real pty port whose waits count in virtual time.

#include "maintenance/FirmwareFile.h"
#include "platform/PosixSerialPort.h"
#include "tests/support/FakeClock.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace varnadex::test {

using Bytes = std::vector<std::uint8_t>;

// A header of 'H's, then an image through every byte value, 'V', 'S', 'E' and 'O' among them.
inline Bytes firmwareBytes(std::size_t imageSize) {
    Bytes out(18, 'H');
    for (std::size_t i = 0; i < imageSize; ++i)
        out.push_back(static_cast<std::uint8_t>(i * 7 + i / 256));
    return out;
}

inline Bytes imageOf(const Bytes& file) {
    return Bytes(file.begin() + 18, file.end());
}

class MemoryFirmwareFile : public IFirmwareFile {
public:
    bool open(const std::string&) override {
        position_ = 0;
        return open_ = exists;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::uint64_t length() const override { return bytes.size(); }
    std::uint64_t position() const override { return position_; }
    int read(std::span<std::uint8_t> buffer) override {
        if (!open_ || position_ >= failAt) return -1;
        const std::size_t end = std::min({bytes.size(), position_ + buffer.size(), failAt});
        std::copy(bytes.begin() + position_, bytes.begin() + end, buffer.begin());
        const int n = static_cast<int>(end - position_);
        position_ = end;
        return n;
    }
    Bytes bytes;
    bool exists = true;
    std::size_t failAt = SIZE_MAX; // reads from this offset on fail, as in a file that shrank

private:
    bool open_ = false;
    std::size_t position_ = 0;
};

// The converter as a callback: what it returns for a write is waiting on the line at once.
// A read with nothing waiting lets its whole time-out pass on the fake clock.
class CallbackPort : public ISerialPort {
public:
    explicit CallbackPort(FakeClock& clock) : clock_(clock) {}
    bool open(const std::string&, int) override {
        ++opens;
        return open_ = openSucceeds;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override {
        if (!open_ || wire.size() + bytes.size() > failWriteAt) return false;
        wire.insert(wire.end(), bytes.begin(), bytes.end());
        const Bytes reply = converter ? converter(Bytes(bytes.begin(), bytes.end())) : Bytes{};
        waiting_.insert(waiting_.end(), reply.begin(), reply.end());
        return true;
    }
    int read(std::span<std::uint8_t> buffer, Micros timeout) override {
        if (!open_) return -1;
        readsAt.insert(wire.size());
        if (waiting_.empty()) {
            clock_.advance(std::max(Millis(1), std::chrono::duration_cast<Millis>(timeout)));
            return 0;
        }
        const std::size_t n = std::min(buffer.size(), waiting_.size());
        std::copy_n(waiting_.begin(), n, buffer.begin());
        waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<int>(n);
    }
    void discardInput() override { waiting_.clear(); }

    std::function<Bytes(const Bytes&)> converter;
    bool openSucceeds = true;
    int opens = 0;
    std::size_t failWriteAt = SIZE_MAX; // a write that would carry the wire past this fails
    Bytes wire;
    std::set<std::size_t> readsAt; // the wire's length at each read

private:
    FakeClock& clock_;
    bool open_ = false;
    Bytes waiting_;
};

// A real pty whose reads wait at most `realCap` of real time; one that finds nothing lets its
// whole time-out pass on the fake clock. Fixed pauses cost nothing, silence costs `realCap`.
class VirtualTimeSerialPort : public PosixSerialPort {
public:
    VirtualTimeSerialPort(FakeClock& clock, Micros realCap) : clock_(clock), realCap_(realCap) {}
    int read(std::span<std::uint8_t> buffer, Micros timeout) override {
        const int n = PosixSerialPort::read(buffer, std::min(timeout, realCap_));
        if (n == 0)
            clock_.advance(std::max(Millis(1), std::chrono::duration_cast<Millis>(timeout)));
        return n;
    }
    // The simulator takes each byte as it is written (it does not pace the line), so the line
    // is never behind: nothing to wait for.
    void drainOutput(Micros) override {}

private:
    FakeClock& clock_;
    Micros realCap_;
};

struct TempFile {
    explicit TempFile(const Bytes& bytes)
        : path(std::filesystem::temp_directory_path() /
               ("varnadex-fw-" + std::to_string(::getpid()) + ".qfw")) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
    }
    ~TempFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
};

} // namespace varnadex::test
