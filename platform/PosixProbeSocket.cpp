#include "platform/PosixProbeSocket.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnadex {
namespace {

// Room for answers that arrive faster than a busy scan takes them; the kernel caps it at
// net.core.rmem_max. The error queue shares it, so refusals are not lost to a full queue.
constexpr int kReceiveBuffer = 4 << 20;

// Errors of an unconnected socket that only echo an ICMP notice for one destination, or say
// "nothing yet"; the socket itself is fine.
bool broken(int error) {
    return error == EBADF || error == ENOTSOCK || error == EINVAL || error == EFAULT;
}

sockaddr_in socketAddress(Ipv4Address address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

} // namespace

bool PosixProbeSocket::open() {
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    const int on = 1;
    if (::setsockopt(fd_, IPPROTO_IP, IP_RECVERR, &on, sizeof on) != 0) {
        close();
        return false;
    }
    // A smaller buffer only loses answers in a flood; the schedule's retries make up for it.
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);
    return true;
}

void PosixProbeSocket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool PosixProbeSocket::sendTo(Ipv4Address to, std::uint16_t port,
                              std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return false;
    const sockaddr_in address = socketAddress(to, port);
    // A notice pending for an earlier destination can fail this send instead; it is consumed
    // by that, so the send is tried again. The notice itself stays in the error queue.
    for (int tries = 0; tries < 4; ++tries) {
        const ssize_t sent = ::sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (sent == static_cast<ssize_t>(bytes.size())) return true;
        if (sent >= 0 || (errno != ECONNREFUSED && errno != EINTR && errno != EHOSTUNREACH &&
                          errno != ENETUNREACH))
            return false;
    }
    return false;
}

ProbeEvent PosixProbeSocket::receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) {
    using Kind = ProbeEvent::Kind;
    if (fd_ < 0) return {Kind::Failed};

    // One notice from the error queue, or one datagram; nothing when neither waits.
    const auto takeOne = [&]() -> std::optional<ProbeEvent> {
        for (;;) {
            sockaddr_in original{};
            std::uint8_t payload[64];
            alignas(cmsghdr) char control[512];
            iovec io{payload, sizeof payload};
            msghdr message{};
            message.msg_name = &original;
            message.msg_namelen = sizeof original;
            message.msg_iov = &io;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            if (::recvmsg(fd_, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) break;
            for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
                sock_extended_err error{};
                std::memcpy(&error, CMSG_DATA(c), sizeof error);
                // The name is the refused datagram's own destination, which is what the scan
                // asked; the offender may be a router on the way.
                if (error.ee_origin == SO_EE_ORIGIN_ICMP && error.ee_type == ICMP_DEST_UNREACH &&
                    error.ee_code == ICMP_PORT_UNREACH && message.msg_namelen >= sizeof original &&
                    original.sin_family == AF_INET) {
                    return ProbeEvent{Kind::Refused, ntohl(original.sin_addr.s_addr),
                                      ntohs(original.sin_port), 0};
                }
            }
            // Another notice (host unreachable, a time-out on the way): the schedule's own
            // deadline says the same later, so it is passed over.
        }
        sockaddr_in from{};
        socklen_t length = sizeof from;
        // MSG_TRUNC: the true size, so that an oversized datagram shows.
        const ssize_t got = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &length);
        if (got >= 0) {
            return ProbeEvent{Kind::Datagram, ntohl(from.sin_addr.s_addr), ntohs(from.sin_port),
                              static_cast<std::size_t>(got)};
        }
        if (broken(errno)) return ProbeEvent{Kind::Failed};
        return std::nullopt;
    };

    if (auto event = takeOne()) return *event;
    const auto ms = std::clamp<long long>(timeout.count(), 0, INT_MAX);
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(ms));
    if (ready < 0) return {errno == EINTR ? Kind::Nothing : Kind::Failed};
    if (ready == 0) return {Kind::Nothing};
    if (p.revents & POLLNVAL) return {Kind::Failed};
    if (auto event = takeOne()) return *event;
    return {Kind::Nothing};
}

} // namespace varnadex
