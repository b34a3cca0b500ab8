#include "sim/RegisterMemory.h"

#include "config/RegisterMap.h"

namespace varnadex::sim {

RegisterMemory::RegisterMemory() : RegisterMemory(ConverterConfig{}) {}

RegisterMemory::RegisterMemory(const ConverterConfig& config) : bytes_(registerImage(config)) {}

std::uint8_t RegisterMemory::read(std::uint8_t address) const {
    std::lock_guard lock(mutex_);
    return bytes_[address];
}

void RegisterMemory::write(std::uint8_t address, std::uint8_t value) {
    std::lock_guard lock(mutex_);
    bytes_[address] = value;
}

std::array<std::uint8_t, 256> RegisterMemory::snapshot() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

void RegisterMemory::load(const std::array<std::uint8_t, 256>& image) {
    std::lock_guard lock(mutex_);
    bytes_ = image;
}

} // namespace varnadex::sim
