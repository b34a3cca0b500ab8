#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace varnadex {

using Micros = std::chrono::microseconds;

// Why a port could not be opened, as far as the user can act on it.
enum class PortFailure {
    None,
    InUse,
    NoDevice,
    PermissionDenied,
    NotATerminal,
    BadSettings,
    Other
};

struct PortOpenError {
    PortFailure reason = PortFailure::None;
    std::string device;     // what was opened: the system's device for the user's name
    std::string systemText; // the system's own words, when it gave any
};

// The COM port as the serial link needs it and no more, so that another system's port can
// stand beside the POSIX one without a change to the link.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // name is the port as the user wrote it ("COM1", "/dev/ttyUSB0"); the implementation maps
    // it to its system's device. Sets 8 data bits, no parity, one stop bit, raw mode, RTS on
    // and no CTS output flow control, and locks the device against other programs. False, with
    // nothing left open, when the device cannot be opened, is not a terminal, refuses the
    // settings or is in use.
    virtual bool open(const std::string& name, int speed) = 0;
    // Why the last open failed; reason None after a successful one.
    virtual PortOpenError lastOpenError() const { return {}; }
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Every byte, or false.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Waits up to `timeout` for a first byte, then returns what has come, at most
    // buffer.size() bytes: 0 when nothing came in time, -1 when the port failed or is closed.
    virtual int read(std::span<std::uint8_t> buffer, Micros timeout) = 0;
    // Throws away what has arrived and not been read.
    virtual void discardInput() = 0;
    // Waits, at most `limit`, until what was written has left the port. A write returns once
    // the driver holds the bytes, and a real UART may still need a second for a slice of
    // firmware: a reply is only worth waiting for once the converter has had it all. Ports
    // that send as they write have nothing to wait for.
    virtual void drainOutput(Micros limit) { (void)limit; }
    // drainOutput, then discardInput while nothing that came can be an answer to what was
    // written: unless the wait ended `slack` or more after the line had carried the last byte
    // (a busy machine woke late), when an answer may have begun and nothing is thrown away.
    // True when the input was thrown away.
    virtual bool drainThenDiscard(Micros limit, Micros slack) {
        (void)slack;
        drainOutput(limit);
        discardInput();
        return true;
    }
};

} // namespace varnadex
