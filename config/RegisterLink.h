#pragma once

#include <cstdint>
#include <string>

namespace varnadex {

// One register at a time over one transport: the serial link's read-byte and write-byte
// frames, or one SNMP transaction. Every field conversion is written once above this.
class IRegisterLink {
public:
    virtual ~IRegisterLink() = default;
    // The register's value 0..255, or -1 when the converter did not answer with it.
    virtual int GetRegister(std::uint8_t address) = 0;
    // The value the converter took, or -1 when it did not accept the write.
    virtual int SetRegister(std::uint8_t address, std::uint8_t value) = 0;
    // The firmware version as text; the catalogue's "Unknown" text when it cannot be had.
    virtual std::string GetFirmwareVersion() = 0;
};

} // namespace varnadex
