#include "sim/SnmpFleet.h"

#include "config/RegisterMap.h"

namespace varnadex::sim {

bool SnmpFleet::start(Ipv4Address first, std::uint16_t port, int count, std::uint32_t stride) {
    stop();
    if (count > 0) makeRoomForSockets(static_cast<std::size_t>(count));
    // A free port on the first address may be taken on another; a few tries find one free on
    // all of them.
    for (int tries = port == 0 ? 8 : 1; tries > 0; --tries) {
        if (startOn(first, port, count, stride)) return true;
        stop();
    }
    return false;
}

bool SnmpFleet::startOn(Ipv4Address first, std::uint16_t port, int count, std::uint32_t stride) {
    const std::uint8_t macRegister = findField("macAddress")->first;
    const std::uint8_t ipRegister = findField("ipAddress")->first;
    for (int i = 0; i < count; ++i) {
        const Ipv4Address address = first + static_cast<Ipv4Address>(i) * stride;
        auto memory = std::make_unique<RegisterMemory>();
        const std::uint8_t mac[6] = {0x00,
                                     0x50,
                                     0xC2,
                                     static_cast<std::uint8_t>(address >> 16),
                                     static_cast<std::uint8_t>(address >> 8),
                                     static_cast<std::uint8_t>(address)};
        for (std::uint8_t k = 0; k < 6; ++k)
            memory->write(static_cast<std::uint8_t>(macRegister + k), mac[k]);
        for (std::uint8_t k = 0; k < 4; ++k)
            memory->write(static_cast<std::uint8_t>(ipRegister + k),
                          static_cast<std::uint8_t>(address >> (24 - 8 * k)));
        auto responder = std::make_unique<SnmpResponder>(*memory, log_, faults_);
        const auto bound = loop_.listen(address, port, *responder);
        if (!bound) return false;
        port = *bound;
        port_ = port;
        addresses_.push_back(address);
        memories_.push_back(std::move(memory));
        responders_.push_back(std::move(responder));
    }
    return loop_.start();
}

void SnmpFleet::stop() {
    // The loop first: each agent answers from its memory until it stops.
    loop_.stop();
    responders_.clear();
    memories_.clear();
    addresses_.clear();
    port_ = 0;
}

void SnmpFleet::setVersion(std::uint8_t major, std::uint8_t minor) {
    for (auto& responder : responders_)
        responder->setVersion(major, minor);
}

} // namespace varnadex::sim
