#include "sim/SerialLine.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace varnadex::sim {
namespace {

int waitFor(int fd, short events, std::chrono::microseconds timeout) {
    const timespec ts{static_cast<time_t>(timeout.count() / 1'000'000),
                      static_cast<long>(timeout.count() % 1'000'000) * 1000};
    pollfd p{fd, events, 0};
    const int r = ::ppoll(&p, 1, &ts, nullptr);
    if (r < 0) return errno == EINTR ? 0 : -1;
    if (r == 0) return 0;
    return (p.revents & events) ? 1 : -1;
}

} // namespace

bool SerialLine::open() {
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return false;
    char name[PATH_MAX] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        close();
        return false;
    }
    devicePath_ = name;
    device_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (device_ < 0 || ::tcgetattr(device_, &tio) != 0) {
        close();
        return false;
    }
    // Raw from the start: an echoing line would send the simulator's replies back to it.
    ::cfmakeraw(&tio);
    if (::tcsetattr(device_, TCSANOW, &tio) != 0 ||
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        close();
        return false;
    }
    return true;
}

void SerialLine::close() {
    if (device_ >= 0) ::close(device_);
    if (master_ >= 0) ::close(master_);
    device_ = master_ = -1;
    devicePath_.clear();
}

int SerialLine::read(std::span<std::uint8_t> buffer, std::chrono::microseconds timeout) {
    if (master_ < 0) return -1;
    const int ready = waitFor(master_, POLLIN, timeout);
    if (ready <= 0) return ready;
    const ssize_t n = ::read(master_, buffer.data(), buffer.size());
    if (n < 0) return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
    return static_cast<int>(n);
}

bool SerialLine::write(std::span<const std::uint8_t> bytes, std::chrono::microseconds timeout) {
    if (master_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (waitFor(master_, POLLOUT, timeout) != 1) return false;
    }
    return true;
}

} // namespace varnadex::sim
