#include "platform/WinProbeSocket.h"

#include "platform/WinUdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace varnadex {
namespace {

constexpr std::size_t kLargestDatagram = 65507;
constexpr int kReceiveBuffer = 4 << 20;

SOCKET native(std::uintptr_t s) {
    return static_cast<SOCKET>(s);
}

} // namespace

bool WinProbeSocket::open() {
    close();
    const SOCKET s = native(openUdpSocket());
    if (s == INVALID_SOCKET) return false;
    // A smaller buffer only loses answers in a flood; the schedule's retries make up for it.
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&kReceiveBuffer),
                 sizeof kReceiveBuffer);
    socket_ = static_cast<std::uintptr_t>(s);
    return true;
}

void WinProbeSocket::close() {
    if (native(socket_) != INVALID_SOCKET) ::closesocket(native(socket_));
    socket_ = static_cast<std::uintptr_t>(INVALID_SOCKET);
}

bool WinProbeSocket::sendTo(Ipv4Address to, std::uint16_t port,
                            std::span<const std::uint8_t> bytes) {
    if (native(socket_) == INVALID_SOCKET) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(to);
    a.sin_port = htons(port);
    const int sent = ::sendto(native(socket_), reinterpret_cast<const char*>(bytes.data()),
                              static_cast<int>(bytes.size()), 0,
                              reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return sent == static_cast<int>(bytes.size());
}

ProbeEvent WinProbeSocket::receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) {
    using Kind = ProbeEvent::Kind;
    const SOCKET s = native(socket_);
    if (s == INVALID_SOCKET) return {Kind::Failed};
    const int ready = waitReadable(socket_, timeout);
    if (ready < 0) return {Kind::Failed};
    if (ready == 0) return {Kind::Nothing};
    whole_.resize(kLargestDatagram);
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int got =
        ::recvfrom(s, reinterpret_cast<char*>(whole_.data()), static_cast<int>(whole_.size()), 0,
                   reinterpret_cast<sockaddr*>(&from), &fromLength);
    ProbeEvent event;
    event.from = ntohl(from.sin_addr.s_addr);
    event.port = ntohs(from.sin_port);
    if (got == SOCKET_ERROR) {
        const int error = ::WSAGetLastError();
        // Without the destination the notice cannot be told apart: it is no answer, then.
        if (error == WSAECONNRESET && event.from != 0)
            event.kind = Kind::Refused;
        else if (error == WSAECONNRESET || error == WSAEWOULDBLOCK || error == WSAEINTR)
            event.kind = Kind::Nothing;
        else
            event.kind = Kind::Failed;
        return event;
    }
    event.kind = Kind::Datagram;
    event.size = static_cast<std::size_t>(got);
    std::copy_n(whole_.begin(), std::min(event.size, buffer.size()), buffer.begin());
    return event;
}

} // namespace varnadex
