#include "sim/SnmpAgent.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace varnadex::sim {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct Pending {
    SteadyClock::time_point due;
    sockaddr_in to;
    SnmpResponder::Answer answer;
};

void sendAnswer(int fd, const sockaddr_in& to, const SnmpResponder::Answer& answer) {
    auto send = [&](const std::vector<std::uint8_t>& bytes) {
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    };
    if (!answer.forerunner.empty()) send(answer.forerunner);
    send(answer.bytes);
}

} // namespace

SnmpAgent::SnmpAgent(RegisterMemory& memory, SimLog& log, SnmpFaults faults)
    : responder_(memory, log, std::move(faults)) {}

SnmpAgent::~SnmpAgent() {
    stop();
}

bool SnmpAgent::start(const std::string& address, std::uint16_t port) {
    if (running()) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    sockaddr_in bindTo{};
    std::memcpy(&bindTo, found->ai_addr, sizeof bindTo);
    ::freeaddrinfo(found);
    bindTo.sin_port = htons(port);

    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    socklen_t length = sizeof bindTo;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&bindTo), sizeof bindTo) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&bindTo), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    port_ = ntohs(bindTo.sin_port);
    thread_ = std::thread([this] { run(); });
    return true;
}

void SnmpAgent::stop() {
    if (thread_.joinable()) {
        const char byte = 's';
        [[maybe_unused]] auto ignored = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int* fd : {&fd_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void SnmpAgent::run() {
    std::vector<Pending> pending; // answers held back by "late", soonest first
    std::array<std::uint8_t, 2048> buffer{};
    for (;;) {
        int timeout = -1;
        if (!pending.empty()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(pending.front().due -
                                                                           SteadyClock::now());
            timeout = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;

        const auto now = SteadyClock::now();
        while (!pending.empty() && pending.front().due <= now) {
            sendAnswer(fd_, pending.front().to, pending.front().answer);
            pending.erase(pending.begin());
        }
        if (!(fds[0].revents & POLLIN)) continue;

        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0) continue;
        auto answer = responder_.handle(std::span(buffer).first(static_cast<std::size_t>(got)));
        if (!answer) continue;
        if (answer->delay.count() == 0) {
            sendAnswer(fd_, from, *answer);
            continue;
        }
        Pending later{SteadyClock::now() + answer->delay, from, std::move(*answer)};
        auto at = std::upper_bound(pending.begin(), pending.end(), later.due,
                                   [](auto due, const Pending& p) { return due < p.due; });
        pending.insert(at, std::move(later));
    }
}

} // namespace varnadex::sim
