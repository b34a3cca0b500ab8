#pragma once

#include "config/Fields.h"
#include "config/RegisterLink.h"

#include <cstdint>
#include <string>

namespace varnadex {

// The typed accessors: move one field between its text form and its registers. The same
// object serves both transports: the serial family (SerialGetMac, ...) and the SNMP family
// (SnmpGetMac, ...) are this class over a serial or an SNMP register link, which link() is.
//
// Results are 1 on success and 0 on failure; the accessors say nothing themselves. A read that
// fails part-way leaves the output as it was. A write checks the whole text before it sends
// anything, so a field is never left half-written because of a typo (Write Conf has checked
// every text before the first register, and says what is wrong with one).
class TypedAccessors {
public:
    explicit TypedAccessors(IRegisterLink& link) : link_(link) {}

    IRegisterLink& link() { return link_; }

    int GetByte(std::uint8_t r, std::uint8_t& out);
    int GetMac(std::uint8_t r, std::string& out);
    int GetIp(std::uint8_t r, std::string& out);
    int GetWord(std::uint8_t r, std::string& out);
    int GetHex(std::uint8_t r, std::string& out);
    std::string GetVersion();

    int SetByte(std::uint8_t r, std::uint8_t value);
    // Wrong length or character: nothing written, 0.
    int SetMac(std::uint8_t r, const std::string& text);
    int SetIp(std::uint8_t r, const std::string& text);
    int SetWord(std::uint8_t r, const std::string& text);
    // Wrong length or character: nothing written, 0.
    int SetHex(std::uint8_t r, const std::string& text);

private:
    // `count` registers from r as the text of `kind`.
    int GetText(AccessorKind kind, std::uint8_t r, std::size_t count, std::string& out);
    template <std::size_t N> bool writeRun(std::uint8_t r, const std::uint8_t* bytes);

    IRegisterLink& link_;
};

} // namespace varnadex
