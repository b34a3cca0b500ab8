#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace varnadex::sim {

// The converter's end of a pseudo-terminal. The program opens the other end's device path as
// its COM port. The simulator keeps that end open itself, raw, so that the line stays up
// between the program's opens and bytes sent while nobody listens wait there, as on a cable.
class SerialLine {
public:
    SerialLine() = default;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;
    ~SerialLine() { close(); }

    bool open();
    void close();
    bool isOpen() const { return master_ >= 0; }
    const std::string& devicePath() const { return devicePath_; }

    // What the program has written, waiting up to `timeout`: bytes read, 0, or -1 on failure.
    int read(std::span<std::uint8_t> buffer, std::chrono::microseconds timeout);
    // False when the bytes cannot be sent within `timeout` (nobody reads and the pty is full).
    bool write(std::span<const std::uint8_t> bytes, std::chrono::microseconds timeout);

private:
    int master_ = -1;
    int device_ = -1;
    std::string devicePath_;
};

} // namespace varnadex::sim
