#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace varnadex::sim {

// The network between the program and the SNMP agents, as the simulator plays it. A request
// travels half the delay to its agent and is carried out when it arrives; the answer travels
// the other half back. Either may be lost on the way, each on its own chance: a request lost
// on the way in changes nothing, an answer lost on the way out is lost after the agent acted.
struct LinkSettings {
    int delayMs = 0;          // the round trip added ("--link-delay")
    int jitterMs = 0;         // each datagram's half of it varies by up to this, either way,
                              // but never below zero ("--link-jitter")
    double lossPercent = 0.0; // the chance, 0 to 100, that a datagram is lost ("--link-loss")
    std::uint64_t seed = 1;   // the same seed, options and traffic lose the same datagrams

    bool active() const { return delayMs > 0 || jitterMs > 0 || lossPercent > 0.0; }
};

enum class LinkWay { In, Out };

// The fate of each datagram, drawn from the seed, the agent, the way and the datagram's
// number on that way: a counter-based generator (splitmix64) with explicit arithmetic, so a
// datagram's fate depends neither on other agents' traffic nor on the standard library.
class LinkModel {
public:
    explicit LinkModel(const LinkSettings& settings = {}) : settings_(settings) {}

    // How long datagram `index` (0, 1, ... on each way of each agent) is on its way; nothing
    // when it is lost.
    std::optional<std::chrono::microseconds> carry(std::size_t agent, LinkWay way,
                                                   std::uint64_t index) const;

    const LinkSettings& settings() const { return settings_; }

private:
    LinkSettings settings_;
};

} // namespace varnadex::sim
