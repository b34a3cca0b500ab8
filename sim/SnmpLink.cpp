#include "sim/SnmpLink.h"

#include <algorithm>

namespace varnadex::sim {
namespace {

std::uint64_t splitmix64(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

enum class Draw : std::uint64_t { Loss = 0, Jitter = 1 };

} // namespace

std::optional<std::chrono::microseconds> LinkModel::carry(std::size_t agent, LinkWay way,
                                                          std::uint64_t index) const {
    if (!settings_.active()) return std::chrono::microseconds(0);
    const std::uint64_t key = splitmix64(splitmix64(settings_.seed) ^ agent) ^
                              (index << 2 | (way == LinkWay::Out ? 2u : 0u));
    auto draw = [&](Draw what) { return splitmix64(key ^ static_cast<std::uint64_t>(what)); };

    // 53 bits make a double in [0, 1) exactly, so 100 % loses every datagram and 0 % none.
    const double chance = static_cast<double>(draw(Draw::Loss) >> 11) * 0x1.0p-53;
    if (chance * 100.0 < settings_.lossPercent) return std::nullopt;

    std::int64_t us = std::int64_t{settings_.delayMs} * 500;
    if (settings_.jitterMs > 0) {
        const std::int64_t spread = std::int64_t{settings_.jitterMs} * 1000;
        const auto r = draw(Draw::Jitter) % static_cast<std::uint64_t>(2 * spread + 1);
        us += static_cast<std::int64_t>(r) - spread;
    }
    return std::chrono::microseconds(std::max<std::int64_t>(us, 0));
}

} // namespace varnadex::sim
