#pragma once

#include <cstdint>
#include <string>

namespace varnadex {

// One register at a time over one transport: the serial link's read-byte and write-byte
// frames, or one SNMP transaction. Every field conversion is written once above this.
class IRegisterLink {
public:
    virtual ~IRegisterLink() = default;
    // True when the converter answered with the register's value.
    virtual bool readRegister(std::uint8_t address, std::uint8_t& value) = 0;
    // True when the converter accepted the write.
    virtual bool writeRegister(std::uint8_t address, std::uint8_t value) = 0;
    // The firmware version as text; the catalogue's "Unknown" text when it cannot be had.
    virtual std::string readVersion() = 0;
};

} // namespace varnadex
