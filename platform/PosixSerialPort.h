#pragma once

#include "serial/SerialPort.h"

#include <chrono>
#include <string>

namespace varnadex {

// "COMn" (any case) names /dev/ttyS(n-1), as the first serial port is COM1 on the system the
// converter's users came from; any other text is a device path and is used as it stands.
std::string posixDevicePath(const std::string& comPort);

// What an errno from opening, locking or setting up a device means to the user.
PortFailure portFailureFromErrno(int error);

// A terminal device through termios and poll. The device is locked with flock while open, so
// that two programs that lock never talk to one converter at once, and is made exclusive
// (TIOCEXCL), so that a program that does not lock cannot open it and take the replies.
class PosixSerialPort : public ISerialPort {
public:
    PosixSerialPort() = default;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;
    ~PosixSerialPort() override { close(); }

    bool open(const std::string& name, int speed) override;
    PortOpenError lastOpenError() const override { return lastOpenError_; }
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    bool write(std::span<const std::uint8_t> bytes) override;
    int read(std::span<std::uint8_t> buffer, Micros timeout) override;
    void discardInput() override;
    void drainOutput(Micros limit) override;
    bool drainThenDiscard(Micros limit, Micros slack) override;

private:
    bool refuse(PortFailure reason, int error);

    int fd_ = -1;
    PortOpenError lastOpenError_;
    // When the line will have carried every byte written so far.
    std::chrono::steady_clock::time_point lineFreeAt_{};
    Micros charTime_{1042};
};

} // namespace varnadex
