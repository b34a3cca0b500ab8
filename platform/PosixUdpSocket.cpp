#include "platform/PosixUdpSocket.h"

#include "platform/Resolve.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnadex {
namespace {

// Errors that mean "nothing for you yet" rather than a broken socket. ECONNREFUSED is the
// port-unreachable notice a connected UDP socket gets when nothing listens at the agent's
// port; the agent may still answer a later request, so it fails nothing early.
bool transient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == ECONNREFUSED;
}

} // namespace

bool PosixUdpSocket::create() {
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    lastFailure_ = fd_ < 0 ? std::strerror(errno) : "";
    return fd_ >= 0;
}

bool PosixUdpSocket::connect(const std::string& host, std::uint16_t port) {
    if (fd_ < 0 || host.empty()) return false;
    for (const Ipv4Address to : resolve_ ? resolve_(host) : std::vector<Ipv4Address>{}) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(to);
        address.sin_port = htons(port);
        // No bind first: connect binds and filters in one step, so no datagram from another
        // sender can slip in between.
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return true;
    }
    return false;
}

void PosixUdpSocket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool PosixUdpSocket::send(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return false;
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return sent == static_cast<ssize_t>(bytes.size());
}

ReceiveResult PosixUdpSocket::receive(std::span<std::uint8_t> buffer, Millis timeout) {
    using Status = ReceiveResult::Status;
    if (fd_ < 0) return {Status::Failed, 0};
    const auto ms = timeout.count() < 0 ? 0 : timeout.count() > INT_MAX ? INT_MAX : timeout.count();
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(ms));
    if (ready < 0) return {errno == EINTR ? Status::Nothing : Status::Failed, 0};
    if (ready == 0) return {Status::Nothing, 0};
    if (p.revents & POLLNVAL) return {Status::Failed, 0};
    // MSG_TRUNC makes recv report the datagram's true length, so one call both takes it and
    // tells whether it was longer than the buffer.
    const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
    if (got >= 0) return {Status::Datagram, static_cast<std::size_t>(got)};
    return {transient(errno) ? Status::Nothing : Status::Failed, 0};
}

void PosixUdpSocket::discardWaiting() {
    if (fd_ < 0) return;
    std::uint8_t scrap[1];
    // Bounded, so that a peer flooding the socket cannot hold the transaction here; what is
    // left fails the request-id check later.
    for (int i = 0; i < 1024; ++i) {
        const ssize_t got = ::recv(fd_, scrap, sizeof scrap, MSG_TRUNC | MSG_DONTWAIT);
        if (got >= 0) continue;
        if (errno == EINTR || errno == ECONNREFUSED) continue;
        break;
    }
}

} // namespace varnadex
