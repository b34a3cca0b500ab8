#include "sim/SnmpAgent.h"

#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace varnadex::sim {

SnmpAgent::SnmpAgent(RegisterMemory& memory, SimLog& log, SnmpFaults faults)
    : responder_(memory, log, std::move(faults)), loop_(log) {}

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
    sockaddr_in resolved{};
    std::memcpy(&resolved, found->ai_addr, sizeof resolved);
    ::freeaddrinfo(found);

    const auto bound = loop_.listen(ntohl(resolved.sin_addr.s_addr), port, responder_);
    if (!bound || !loop_.start()) {
        loop_.stop();
        return false;
    }
    port_ = *bound;
    return true;
}

void SnmpAgent::stop() {
    loop_.stop();
}

} // namespace varnadex::sim
