#include "platform/WinUdpSocket.h"

#include "platform/Resolve.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

namespace varnadex {
namespace {

// The largest UDP payload over IPv4.
constexpr std::size_t kLargestDatagram = 65507;

SOCKET native(std::uintptr_t s) {
    return static_cast<SOCKET>(s);
}

// Errors that mean "nothing for you yet" rather than a broken socket. WSAECONNRESET is how
// Winsock reports the port-unreachable notice a connected UDP socket gets when nothing
// listens at the agent's port (WSAECONNREFUSED on some stacks); the agent may still answer a
// later request, so it fails nothing early.
bool transient(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAECONNRESET ||
           error == WSAECONNREFUSED || error == WSAENETRESET;
}

} // namespace

bool startWinsock() {
    // Once for the program; never cleaned up, as sockets may live until the very end.
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::uintptr_t openUdpSocket() {
    if (!startWinsock()) return static_cast<std::uintptr_t>(INVALID_SOCKET);
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return static_cast<std::uintptr_t>(INVALID_SOCKET);
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(s);
        return static_cast<std::uintptr_t>(INVALID_SOCKET);
    }
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return static_cast<std::uintptr_t>(s);
}

int waitReadable(std::uintptr_t socket, Millis timeout) {
    const SOCKET s = native(socket);
    const auto ms = std::clamp<long long>(timeout.count(), 0, 24LL * 3600 * 1000);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    const int ready = ::select(0, &readable, nullptr, nullptr, &tv);
    if (ready == SOCKET_ERROR) return ::WSAGetLastError() == WSAEINTR ? 0 : -1;
    return ready > 0 ? 1 : 0;
}

bool WinUdpSocket::create() {
    close();
    const SOCKET s = native(openUdpSocket());
    if (s == INVALID_SOCKET) return false;
    socket_ = static_cast<std::uintptr_t>(s);
    return true;
}

bool WinUdpSocket::connect(const std::string& host, std::uint16_t port) {
    if (native(socket_) == INVALID_SOCKET || host.empty()) return false;
    for (const Ipv4Address to : resolveIpv4(host)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(to);
        address.sin_port = htons(port);
        // No bind first: connect binds and filters in one step, so no datagram from another
        // sender can slip in between.
        if (::connect(native(socket_), reinterpret_cast<const sockaddr*>(&address),
                      sizeof address) == 0)
            return true;
    }
    return false;
}

void WinUdpSocket::close() {
    if (native(socket_) != INVALID_SOCKET) ::closesocket(native(socket_));
    socket_ = static_cast<std::uintptr_t>(INVALID_SOCKET);
}

bool WinUdpSocket::send(std::span<const std::uint8_t> bytes) {
    if (native(socket_) == INVALID_SOCKET) return false;
    const int sent = ::send(native(socket_), reinterpret_cast<const char*>(bytes.data()),
                            static_cast<int>(bytes.size()), 0);
    return sent == static_cast<int>(bytes.size());
}

ReceiveResult WinUdpSocket::receive(std::span<std::uint8_t> buffer, Millis timeout) {
    using Status = ReceiveResult::Status;
    const SOCKET s = native(socket_);
    if (s == INVALID_SOCKET) return {Status::Failed, 0};
    const int ready = waitReadable(socket_, timeout);
    if (ready < 0) return {Status::Failed, 0};
    if (ready == 0) return {Status::Nothing, 0};
    whole_.resize(kLargestDatagram);
    const int got =
        ::recv(s, reinterpret_cast<char*>(whole_.data()), static_cast<int>(whole_.size()), 0);
    if (got == SOCKET_ERROR)
        return {transient(::WSAGetLastError()) ? Status::Nothing : Status::Failed, 0};
    const auto size = static_cast<std::size_t>(got);
    std::copy_n(whole_.begin(), std::min(size, buffer.size()), buffer.begin());
    return {Status::Datagram, size};
}

void WinUdpSocket::discardWaiting() {
    const SOCKET s = native(socket_);
    if (s == INVALID_SOCKET) return;
    char scrap[1];
    // Bounded, so that a peer flooding the socket cannot hold the transaction here; what is
    // left fails the request-id check later. A datagram longer than the scrap buffer is
    // taken all the same, with WSAEMSGSIZE.
    for (int i = 0; i < 1024; ++i) {
        if (::recv(s, scrap, sizeof scrap, 0) != SOCKET_ERROR) continue;
        const int error = ::WSAGetLastError();
        if (error == WSAEMSGSIZE || error == WSAECONNRESET || error == WSAECONNREFUSED ||
            error == WSAEINTR)
            continue;
        break;
    }
}

} // namespace varnadex
