#pragma once

#include "serial/SerialPort.h"

#include <chrono>

#include <cstdint>
#include <string>

namespace varnadex {

// "COMn" as the user writes it. COM1 to COM9 are names the system knows in any path; from
// COM10 on only the device namespace has them, so "\\.\" goes in front. Any other text is
// used as it stands ("\\.\COM3", a device of a driver's own name).
std::string windowsDevicePath(const std::string& comPort);

// A COM port through the Win32 communications API, synchronous. Opened without sharing,
// which is the system's own lock: no second program can open the port meanwhile.
class WinSerialPort : public ISerialPort {
public:
    WinSerialPort() = default;
    WinSerialPort(const WinSerialPort&) = delete;
    WinSerialPort& operator=(const WinSerialPort&) = delete;
    ~WinSerialPort() override { close(); }

    bool open(const std::string& name, int speed) override;
    void close() override;
    PortOpenError lastOpenError() const override { return lastOpenError_; }
    bool isOpen() const override { return handle_ != nullptr; }
    bool write(std::span<const std::uint8_t> bytes) override;
    int read(std::span<std::uint8_t> buffer, Micros timeout) override;
    void discardInput() override;
    void drainOutput(Micros limit) override;
    bool drainThenDiscard(Micros limit, Micros slack) override;

private:
    bool setReadTimeout(std::uint32_t milliseconds);

    void* handle_ = nullptr; // a HANDLE; null while closed
    PortOpenError lastOpenError_;
    std::uint32_t readTimeout_ = 0;
    // When what was written will have crossed the line: the driver's queue empties into the
    // UART's own buffer before the line has carried it.
    std::chrono::steady_clock::time_point lineFreeAt_{};
    Micros charTime_{1042};
};

} // namespace varnadex
