#include "platform/FileIo.h"
#include "platform/Resolve.h"
#include "platform/SystemDevices.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include "platform/WinUdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#endif

namespace varnadex {
namespace {

constexpr std::size_t kTargetFileLimit = 4 << 20;

} // namespace

std::vector<Ipv4Address> resolveIpv4(const std::string& name) {
    std::vector<Ipv4Address> found;
#ifdef _WIN32
    if (!startWinsock()) return found;
#endif
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || !list)
        return found;
    for (addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in)) continue;
        sockaddr_in address{};
        std::memcpy(&address, a->ai_addr, sizeof address);
        const Ipv4Address value = ntohl(address.sin_addr.s_addr);
        if (std::find(found.begin(), found.end(), value) == found.end()) found.push_back(value);
    }
    ::freeaddrinfo(list);
    return found;
}

TargetSources systemTargetSources() {
    TargetSources sources;
    sources.resolve = resolveIpv4;
    sources.readFile = [](const std::string& path, std::string& error) {
        FileRead read = readInputFile(path, kTargetFileLimit);
        if (!read.content) error = read.error;
        return read.content;
    };
    return sources;
}

} // namespace varnadex
