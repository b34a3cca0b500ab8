// The Win32 layer's own promises: COM port names, and a connected Winsock UDP socket that
// behaves as the SNMP transactions rely on. Loopback only.

#include "platform/FileIo.h"
#include "platform/WinSerialPort.h"
#include "platform/WinUdpSocket.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <aclapi.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <filesystem>
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

// The access list a file ended with: its entries' SIDs.
std::vector<std::vector<std::uint8_t>> accessList(const std::filesystem::path& file) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    std::vector<std::vector<std::uint8_t>> sids;
    if (::GetNamedSecurityInfoW(file.wstring().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return sids;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
        auto* sid = reinterpret_cast<std::uint8_t*>(&ace->SidStart);
        sids.emplace_back(sid, sid + ::GetLengthSid(sid));
    }
    ::LocalFree(sd);
    return sids;
}

std::vector<std::uint8_t> currentUser() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<std::uint8_t> buffer(512);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()),
                          &size);
    ::CloseHandle(token);
    auto* sid = static_cast<std::uint8_t*>(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    return {sid, sid + ::GetLengthSid(sid)};
}

// It may hold a community string: a new file is its owner's alone, and a replaced one keeps
// whatever access its owner gave it.
TEST(WinFileIo, ANewFileIsTheUsersAloneAndAReplacedOneKeepsItsAccess) {
    namespace fs = std::filesystem;
    const test::ScratchDir scratch{"varnadex-winfileio"};
    const fs::path& dir = scratch.path;
    const fs::path file = dir / "conf.json";
    ASSERT_EQ(writeOutputFile(file.string(), "{}"), std::nullopt);
    // LocalSystem (S-1-5-18), which may read any file anyway, is allowed beside the user:
    // Wine names it in every list it reports.
    const std::vector<std::uint8_t> system{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    const auto entries = accessList(file);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), currentUser()), 1);
    for (const auto& sid : entries)
        EXPECT_TRUE(sid == currentUser() || sid == system) << "another's entry";

    // Everyone may read it now; a new configuration written over it leaves that so.
    EXPLICIT_ACCESS_W everyone{};
    wchar_t world[] = L"EVERYONE";
    ::BuildExplicitAccessWithNameW(&everyone, world, GENERIC_READ, GRANT_ACCESS, NO_INHERITANCE);
    PACL widened = nullptr;
    ASSERT_EQ(::SetEntriesInAclW(1, &everyone, nullptr, &widened), ERROR_SUCCESS);
    std::wstring name = file.wstring();
    ASSERT_EQ(::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, widened, nullptr),
              ERROR_SUCCESS);
    ::LocalFree(widened);
    const auto before = accessList(file);
    ASSERT_EQ(writeOutputFile(file.string(), "{\"a\": 1}"), std::nullopt);
    EXPECT_EQ(accessList(file), before);
}

} // namespace
