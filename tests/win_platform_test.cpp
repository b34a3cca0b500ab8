// The Win32 layer's own promises: COM port names, and a connected Winsock UDP socket that
// behaves as the SNMP transactions rely on. Loopback only.

#include "platform/WinSerialPort.h"
#include "platform/WinUdpSocket.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <array>
#include <vector>

using namespace varnadex;
using Status = ReceiveResult::Status;

namespace {

TEST(WindowsDevicePath, ComTenAndAboveGoThroughTheDeviceNamespace) {
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "COM1"},
        {"com9", "com9"},
        {"COM10", "\\\\.\\COM10"},
        {"com255", "\\\\.\\com255"},
        {"\\\\.\\COM3", "\\\\.\\COM3"},
        {"COMX", "COMX"},
        {"COM1x", "COM1x"},
        {"", ""},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(windowsDevicePath(name), path) << name;
}

TEST(WinSerialPort, AnAbsentPortOrAFileIsNotOpened) {
    WinSerialPort port;
    EXPECT_FALSE(port.open("COM200", 9600));
    EXPECT_FALSE(port.open("NUL", 9600)); // a character device, but no COM port
    EXPECT_FALSE(port.isOpen());
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(port.read(buffer, Micros(1000)), -1);
    EXPECT_FALSE(port.write(buffer));
}

// The agent's side: a plain Winsock socket on 127.0.0.1.
class Peer {
public:
    Peer() {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
        s_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int len = sizeof a;
        ::getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        DWORD wait = 2000;
        ::setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait),
                     sizeof wait);
    }
    ~Peer() {
        ::closesocket(s_);
        ::WSACleanup();
    }
    std::uint16_t port() const { return port_; }
    // Takes one datagram and answers its sender with `answer`.
    int answer(const std::vector<std::uint8_t>& reply) {
        char in[512];
        sockaddr_in from{};
        int len = sizeof from;
        const int got = ::recvfrom(s_, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (got >= 0)
            ::sendto(s_, reinterpret_cast<const char*>(reply.data()),
                     static_cast<int>(reply.size()), 0, reinterpret_cast<sockaddr*>(&from), len);
        return got;
    }

private:
    SOCKET s_;
    std::uint16_t port_ = 0;
};

TEST(WinUdpSocket, TakesTheAgentsDatagramAndTellsItsTrueSize) {
    Peer agent;
    WinUdpSocket socket;
    ASSERT_TRUE(socket.create());
    ASSERT_TRUE(socket.connect("127.0.0.1", agent.port()));
    const std::array<std::uint8_t, 3> request{1, 2, 3};
    ASSERT_TRUE(socket.send(request));

    std::vector<std::uint8_t> oversized(120);
    for (std::size_t i = 0; i < oversized.size(); ++i)
        oversized[i] = static_cast<std::uint8_t>(i);
    ASSERT_EQ(agent.answer(oversized), 3);
    std::array<std::uint8_t, 100> buffer{};
    const ReceiveResult r = socket.receive(buffer, Millis(2000));
    ASSERT_EQ(r.status, Status::Datagram);
    EXPECT_EQ(r.size, 120u);
    EXPECT_EQ(buffer[99], 99);

    // Nothing more is waiting: the wait ends with nothing, not with a failure.
    EXPECT_EQ(socket.receive(buffer, Millis(20)).status, Status::Nothing);
}

TEST(WinUdpSocket, StaleDatagramsAreDiscardedAndPortUnreachableIsNoFailure) {
    Peer agent;
    WinUdpSocket socket;
    ASSERT_TRUE(socket.create());
    ASSERT_TRUE(socket.connect("localhost", agent.port()));
    const std::array<std::uint8_t, 1> request{7};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(socket.send(request));
        ASSERT_EQ(agent.answer({static_cast<std::uint8_t>(i)}), 1);
    }
    std::array<std::uint8_t, 100> buffer{};
    // The first answer is waited for, so that the second has surely come too.
    ASSERT_EQ(socket.receive(buffer, Millis(2000)).status, Status::Datagram);
    ::Sleep(50);
    socket.discardWaiting();
    EXPECT_EQ(socket.receive(buffer, Millis(0)).status, Status::Nothing);

    // A port where nothing listens answers with port-unreachable.
    std::uint16_t closedPort = 0;
    {
        Peer gone;
        closedPort = gone.port();
    }
    WinUdpSocket nobody;
    ASSERT_TRUE(nobody.create());
    ASSERT_TRUE(nobody.connect("127.0.0.1", closedPort));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(nobody.send(request));
        EXPECT_EQ(nobody.receive(buffer, Millis(100)).status, Status::Nothing);
    }
    nobody.discardWaiting();
    EXPECT_EQ(nobody.receive(buffer, Millis(0)).status, Status::Nothing);
}

TEST(WinUdpSocket, AClosedSocketFailsAndAnEmptyHostIsRefused) {
    WinUdpSocket socket;
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(socket.receive(buffer, Millis(0)).status, Status::Failed);
    EXPECT_FALSE(socket.send(buffer));
    ASSERT_TRUE(socket.create());
    EXPECT_FALSE(socket.connect("", 161));
}

} // namespace
