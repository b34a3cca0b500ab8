#include "platform/WinSerialPort.h"

#include "app/Text.h"
#include "platform/WinText.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include <windows.h>

namespace varnadex {
namespace {

// Output never stalls without flow control; these only bound a device that stopped taking
// bytes altogether. A synchronous write on a real port returns once the UART has the bytes,
// so a firmware slice of 1001 bytes needs its 1.04 s at 9600 b/s within the bound.
constexpr DWORD kWriteTimeoutConstant = 2000;
constexpr DWORD kWriteTimeoutPerByte = 2;

// A read waits up to its time-out for the first byte and returns once the line has then been
// quiet this long: whatever came back to back, one character each 1.04 ms at 9600 b/s. The
// link joins the pieces of a reply that a longer gap splits.
constexpr DWORD kReadInterval = 2;

HANDLE native(void* handle) {
    return static_cast<HANDLE>(handle);
}

bool isSpeed(int speed) {
    switch (speed) {
    case 1200:
    case 2400:
    case 4800:
    case 9600:
    case 19200:
    case 38400:
    case 57600:
    case 115200:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string windowsDevicePath(const std::string& comPort) {
    if (comPort.size() < 4 || comPort.size() > 6) return comPort;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(comPort[i])) != "COM"[i]) return comPort;
    }
    if (!parseDecimal(std::string_view(comPort).substr(3), 999)) return comPort;
    if (comPort.size() == 4) return comPort; // COM1 .. COM9 (COM0 fails to open as it is)
    return "\\\\.\\" + comPort;
}

namespace {

// A COM port another program holds answers "access denied".
PortFailure openFailure(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortFailure::InUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortFailure::NoDevice;
    default:
        return PortFailure::Other;
    }
}

// 8 data bits, no parity, one stop bit at `speed`, raw both ways. A port left at other
// settings would talk nonsense to the converter; better not to use it.
bool setRawLine(HANDLE h, int speed) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(h, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(speed);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    // The converter's cable expects RTS up, and nothing paces the output.
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    // Raw bytes both ways: no XON/XOFF, no byte dropped or replaced, and a line error does
    // not stop every later read until it is cleared.
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    return ::SetCommState(h, &dcb);
}

// Up to the time-out for the first byte, then until a short quiet gap: each read sets its own
// total. (MAXDWORD, MAXDWORD, T would return with the first byte on Windows, but Wine waits the
// whole T for it.)
bool setTimeouts(HANDLE h, DWORD readTimeout) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadInterval;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = readTimeout;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTimeoutPerByte;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutConstant;
    return ::SetCommTimeouts(h, &timeouts);
}

} // namespace

bool WinSerialPort::open(const std::string& name, int speed) {
    close();
    lastOpenError_ = {PortFailure::Other, windowsDevicePath(name), {}};
    if (!isSpeed(speed) || name.empty()) return false;
    const std::wstring path = widen(windowsDevicePath(name));
    // Share mode 0: the port is this program's alone while it is open.
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastOpenError_.reason = openFailure(::GetLastError());
        return false;
    }
    constexpr DWORD kReadTimeout = 1000;
    // A file or a pipe opened by this name is no COM port.
    PortFailure failure = PortFailure::None;
    if (::GetFileType(h) != FILE_TYPE_CHAR)
        failure = PortFailure::NotATerminal;
    else if (!setRawLine(h, speed) || !setTimeouts(h, kReadTimeout))
        failure = PortFailure::BadSettings;
    if (failure != PortFailure::None) {
        ::CloseHandle(h);
        lastOpenError_.reason = failure;
        return false;
    }
    ::PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    handle_ = h;
    readTimeout_ = kReadTimeout;
    charTime_ = Micros(10'000'000 / speed);
    lineFreeAt_ = std::chrono::steady_clock::now();
    lastOpenError_ = {};
    return true;
}

void WinSerialPort::close() {
    if (!handle_) return;
    ::CloseHandle(native(handle_));
    handle_ = nullptr;
}

bool WinSerialPort::setReadTimeout(std::uint32_t milliseconds) {
    if (milliseconds == readTimeout_) return true;
    COMMTIMEOUTS timeouts{};
    if (!::GetCommTimeouts(native(handle_), &timeouts)) return false;
    if (milliseconds == 0) {
        // MAXDWORD, 0, 0: return at once with whatever is there, possibly nothing.
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 0;
    } else {
        timeouts.ReadIntervalTimeout = kReadInterval;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = milliseconds;
    }
    if (!::SetCommTimeouts(native(handle_), &timeouts)) return false;
    readTimeout_ = milliseconds;
    return true;
}

bool WinSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!handle_) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 65536));
        if (!::WriteFile(native(handle_), bytes.data() + done, want, &written, nullptr))
            return false;
        // The write time-out ran out with bytes still unsent.
        if (written == 0) return false;
        done += written;
        lineFreeAt_ = std::max(std::chrono::steady_clock::now(), lineFreeAt_) + charTime_ * written;
    }
    return true;
}

int WinSerialPort::read(std::span<std::uint8_t> buffer, Micros timeout) {
    if (!handle_) return -1;
    if (buffer.empty()) return 0;
    // Whole milliseconds, rounded up: a quiet time of 3.125 ms must not shrink to 3.
    const auto us = std::max<long long>(0, timeout.count());
    const auto ms = std::min<long long>((us + 999) / 1000, MAXDWORD - 1);
    if (!setReadTimeout(static_cast<std::uint32_t>(ms))) return -1;
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 65536));
    if (!::ReadFile(native(handle_), buffer.data(), want, &got, nullptr)) return -1;
    return static_cast<int>(got);
}

void WinSerialPort::discardInput() {
    if (handle_) ::PurgeComm(native(handle_), PURGE_RXCLEAR);
}

// FlushFileBuffers() would do, but it waits without bound on a port whose far end has stopped
// taking data; the output queue is watched against a deadline instead.
void WinSerialPort::drainOutput(Micros limit) {
    if (!handle_) return;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const auto wire = std::min(lineFreeAt_, deadline);
    if (wire > std::chrono::steady_clock::now()) std::this_thread::sleep_until(wire);
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(native(handle_), &errors, &status) || status.cbOutQue == 0) return;
        if (std::chrono::steady_clock::now() >= deadline) return;
        // A character takes 1.04 ms at 9600 b/s.
        ::Sleep(2);
    }
}

bool WinSerialPort::drainThenDiscard(Micros limit, Micros slack) {
    if (!handle_) return false;
    drainOutput(limit);
    if (std::chrono::steady_clock::now() - lineFreeAt_ >= slack) return false;
    discardInput();
    return true;
}

} // namespace varnadex
