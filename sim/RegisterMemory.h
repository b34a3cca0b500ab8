#pragma once

#include "config/ConverterConfig.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace varnadex::sim {

// The simulated converter's 256 configuration registers, shared by its serial side and its
// SNMP agent (each runs on its own thread).
class RegisterMemory {
public:
    // Starts with the record's defaults in register form.
    RegisterMemory();
    explicit RegisterMemory(const ConverterConfig& config);

    std::uint8_t read(std::uint8_t address) const;
    void write(std::uint8_t address, std::uint8_t value);
    std::array<std::uint8_t, 256> snapshot() const;
    void load(const std::array<std::uint8_t, 256>& image);

private:
    mutable std::mutex mutex_;
    std::array<std::uint8_t, 256> bytes_{};
};

} // namespace varnadex::sim
