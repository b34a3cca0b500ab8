#pragma once

#include "platform/PosixUdpSocket.h"
#include "snmp/DatagramSocket.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TestResolver.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace varnadex::test {

using Bytes = std::vector<std::uint8_t>;

// "30 81 2C" -> {0x30, 0x81, 0x2C}; a quoted run such as 'abc' stands for its characters.
inline Bytes hex(std::string_view text) {
    Bytes out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        if (c == '\'') {
            for (++i; i < text.size() && text[i] != '\''; ++i)
                out.push_back(text[i]);
            continue;
        }
        auto nibble = [](char d) { return d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10; };
        out.push_back(static_cast<std::uint8_t>(nibble(c) * 16 + nibble(text[i + 1])));
        ++i;
    }
    return out;
}

// A short-form BER element, for writing standard answers in tests.
inline Bytes tlv(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag, static_cast<std::uint8_t>(content.size())};
    out.reserve(content.size() + 2); // or GCC 12 at -O3 warns falsely about the insert
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A datagram socket in virtual time, for the schedule and the fault cases. Datagrams are
// scripted to arrive at given times; waiting advances the fake clock.
class FakeDatagramSocket : public IDatagramSocket {
public:
    struct Sent {
        Millis at;
        Bytes bytes;
    };
    struct Arrival {
        Millis at;
        Bytes bytes;
        std::size_t trueSize = 0; // 0: the bytes' own size
    };
    // Called for every request sent; may schedule arrivals.
    std::function<void(const Sent&, FakeDatagramSocket&)> onSend;

    explicit FakeDatagramSocket(FakeClock& clock) : clock_(clock) {}

    bool createFails = false;
    bool connectFails = false;
    bool receiveFails = false;
    bool open = false;
    std::string host;
    std::uint16_t port = 0;
    std::vector<Sent> sent;

    void arrive(Millis at, Bytes bytes, std::size_t trueSize = 0) {
        Arrival a{at, std::move(bytes), trueSize};
        auto pos = std::upper_bound(queue_.begin(), queue_.end(), a.at,
                                    [](Millis t, const Arrival& q) { return t < q.at; });
        queue_.insert(pos, std::move(a));
    }

    bool create() override {
        open = !createFails;
        return open;
    }
    bool connect(const std::string& h, std::uint16_t p) override {
        host = h;
        port = p;
        return !connectFails;
    }
    void close() override { open = false; }
    bool send(std::span<const std::uint8_t> bytes) override {
        sent.push_back({clock_.now(), Bytes(bytes.begin(), bytes.end())});
        if (onSend) onSend(sent.back(), *this);
        return true;
    }
    ReceiveResult receive(std::span<std::uint8_t> buffer, Millis timeout) override {
        if (receiveFails) return {ReceiveResult::Status::Failed, 0};
        const Millis until = clock_.now() + timeout;
        if (queue_.empty() || queue_.front().at > until) {
            clock_.advance(timeout);
            return {ReceiveResult::Status::Nothing, 0};
        }
        Arrival a = std::move(queue_.front());
        queue_.erase(queue_.begin());
        if (a.at > clock_.now()) clock_.advance(a.at - clock_.now());
        std::copy_n(a.bytes.begin(), std::min(a.bytes.size(), buffer.size()), buffer.begin());
        return {ReceiveResult::Status::Datagram, a.trueSize ? a.trueSize : a.bytes.size()};
    }
    void discardWaiting() override {
        while (!queue_.empty() && queue_.front().at <= clock_.now())
            queue_.erase(queue_.begin());
    }

private:
    FakeClock& clock_;
    std::vector<Arrival> queue_;
};

#ifndef _WIN32 // real sockets: the tests that use them run on Linux
// A real UDP socket whose waits count in virtual time: the fake clock stands still while a wait
// looks for a datagram for up to `realCap` of real time, and moves to the end of the wait's
// time-out when none came. So the schedule of a silent agent runs in a fraction of its 2.1 s,
// an agent that answers at once is never late however slow the machine, and every datagram
// still crosses loopback.
class VirtualTimeUdpSocket : public PosixUdpSocket {
public:
    VirtualTimeUdpSocket(FakeClock& clock, Millis realCap)
        : PosixUdpSocket(loopbackResolver), clock_(clock), realCap_(realCap) {}
    ReceiveResult receive(std::span<std::uint8_t> buffer, Millis timeout) override {
        const auto got = PosixUdpSocket::receive(buffer, realCap_);
        if (got.status == ReceiveResult::Status::Nothing) clock_.advance(timeout);
        return got;
    }

private:
    FakeClock& clock_;
    Millis realCap_;
};

// A UDP socket bound to a free port on 127.0.0.1, whose receives give up after `timeout`;
// -1 when there is none to be had.
inline int loopbackUdpSocket(std::uint16_t& port, timeval timeout) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

// A peer on loopback that sends every datagram straight back, on a thread of its own.
class EchoPeer {
public:
    EchoPeer() : fd_(loopbackUdpSocket(port, {0, 20000})) { // 20 ms: how soon it sees stop
        if (fd_ < 0) return;
        thread_ = std::thread([this] {
            std::uint8_t b[200];
            while (!stop_) {
                sockaddr_in from{};
                socklen_t len = sizeof from;
                const auto got =
                    ::recvfrom(fd_, b, sizeof b, 0, reinterpret_cast<sockaddr*>(&from), &len);
                if (got <= 0) continue;
                ::sendto(fd_, b, static_cast<std::size_t>(got), 0,
                         reinterpret_cast<sockaddr*>(&from), len);
                ++echoed;
            }
        });
    }
    ~EchoPeer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    std::uint16_t port = 0;
    std::atomic<int> echoed{0};

private:
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

#endif // real sockets
} // namespace varnadex::test
