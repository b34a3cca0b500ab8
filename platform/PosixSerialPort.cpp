#include "platform/PosixSerialPort.h"

#include "app/Text.h"
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace varnadex {
namespace {

using Clock = std::chrono::steady_clock;

// Long waits are cut into pieces, so that a deadline is met closely even when a poll is
// woken late or interrupted.
constexpr Micros kWaitPiece{50'000};

// Output never stalls without flow control; this only bounds a device that stopped taking
// bytes altogether.
constexpr Micros kWriteTimeout{2'000'000};

std::optional<speed_t> speedConstant(int speed) {
    switch (speed) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return std::nullopt;
    }
}

// Waits for `events` until `deadline`, in pieces; looks once even when the deadline has
// passed. 1 ready, 0 timed out, -1 failed or hung up.
int waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::max(Micros::zero(), std::chrono::duration_cast<Micros>(deadline - Clock::now()));
        const auto piece = std::min(left, kWaitPiece);
        const timespec ts{static_cast<time_t>(piece.count() / 1'000'000),
                          static_cast<long>(piece.count() % 1'000'000) * 1000};
        pollfd p{fd, events, 0};
        const int r = ::ppoll(&p, 1, &ts, nullptr);
        if (r < 0 && errno != EINTR) return -1;
        if (r > 0) {
            if (p.revents & events) return 1;
            return -1; // POLLERR, POLLHUP or POLLNVAL alone
        }
        if (left == Micros::zero()) return 0;
    }
}

} // namespace

std::string posixDevicePath(const std::string& comPort) {
    if (comPort.size() < 4 || comPort.size() > 7) return comPort;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(comPort[i])) != "COM"[i]) return comPort;
    }
    const auto n = parseDecimal(std::string_view(comPort).substr(3), 9999);
    if (!n || *n < 1 || comPort[3] == '0') return comPort;
    return "/dev/ttyS" + std::to_string(*n - 1);
}

PortFailure portFailureFromErrno(int error) {
    switch (error) {
    case EBUSY:
    case EWOULDBLOCK: // flock: another program holds the lock
        return PortFailure::InUse;
    case ENOENT:
    case ENODEV:
    case ENXIO: // a device node without its hardware, or a pty without its master
    case ENOTDIR:
        return PortFailure::NoDevice;
    case EACCES:
    case EPERM:
    case EROFS:
        return PortFailure::PermissionDenied;
    case ENOTTY:
        return PortFailure::NotATerminal;
    default:
        return PortFailure::Other;
    }
}

bool PosixSerialPort::refuse(PortFailure reason, int error) {
    lastOpenError_.reason = reason;
    lastOpenError_.systemText = error ? std::strerror(error) : "";
    return false;
}

bool PosixSerialPort::open(const std::string& name, int speed) {
    close();
    const auto baud = speedConstant(speed);
    const std::string path = posixDevicePath(name);
    lastOpenError_ = {PortFailure::None, path, {}};
    if (path.empty()) return refuse(PortFailure::NoDevice, ENOENT);
    if (!baud) return refuse(PortFailure::BadSettings, EINVAL);

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return refuse(portFailureFromErrno(error), error);
    }
    auto fail = [this, fd](PortFailure reason) {
        const int error = errno;
        ::close(fd);
        return refuse(reason, error);
    };
    if (!::isatty(fd)) return fail(PortFailure::NotATerminal);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(portFailureFromErrno(errno));

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return fail(PortFailure::BadSettings);
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // Reads never block; every wait is a poll with its own deadline.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, *baud) != 0 || ::cfsetospeed(&tio, *baud) != 0)
        return fail(PortFailure::BadSettings);
    // A port left at other settings would talk nonsense to the converter; better not to use it.
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail(PortFailure::BadSettings);
    // The converter's cable expects RTS up. Pseudo-terminals have no modem lines, so a
    // refusal here is not a failure.
    int rts = TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &rts);
    // flock binds only programs that ask for it; a terminal program or a modem daemon that
    // opened the port mid-exchange would read the converter's replies. Exclusive mode makes
    // the system refuse their open. (A privileged program may still override it.)
    ::ioctl(fd, TIOCEXCL);

    fd_ = fd;
    // Ten bits a character: a start bit, eight data bits and a stop bit.
    charTime_ = Micros(10'000'000 / speed);
    lineFreeAt_ = Clock::now();
    return true;
}

void PosixSerialPort::close() {
    if (fd_ < 0) return;
    // The mode belongs to the device, not to this descriptor: left set, it would keep every
    // other program out after we are gone.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_); // releases the lock too
    fd_ = -1;
}

bool PosixSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return false;
    const auto deadline = Clock::now() + kWriteTimeout;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            lineFreeAt_ = std::max(Clock::now(), lineFreeAt_) + charTime_ * n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (waitFor(fd_, POLLOUT, deadline) != 1) return false;
    }
    return true;
}

int PosixSerialPort::read(std::span<std::uint8_t> buffer, Micros timeout) {
    if (fd_ < 0) return -1;
    if (buffer.empty()) return 0;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const int ready = waitFor(fd_, POLLIN, deadline);
        if (ready <= 0) return ready;
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) return static_cast<int>(n);
        // Readable but empty: the device has gone (a hang-up, or a USB adapter pulled out).
        if (n == 0) return -1;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
    }
}

void PosixSerialPort::discardInput() {
    if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

// tcdrain() would do, but it waits without bound on a port whose far end has stopped
// taking data; the output queue is watched against a deadline instead. A queue that reads
// empty is not enough: a USB adapter holds bytes in a FIFO of its own, and a pseudo-terminal
// never counts any, while the line still needs a character time for each byte written. So the
// wait also lasts until the line would have carried every byte at the port's speed.
void PosixSerialPort::drainOutput(Micros limit) {
    if (fd_ < 0) return;
    const auto deadline = Clock::now() + limit;
    const auto wire = std::min(lineFreeAt_, deadline);
    if (wire > Clock::now()) std::this_thread::sleep_until(wire);
    int queued = 0;
    while (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline) {
        // A character takes 1.04 ms at 9600 b/s.
        ::usleep(2000);
    }
}

bool PosixSerialPort::drainThenDiscard(Micros limit, Micros slack) {
    if (fd_ < 0) return false;
    drainOutput(limit);
    if (Clock::now() - lineFreeAt_ >= slack) return false;
    discardInput();
    return true;
}

} // namespace varnadex
