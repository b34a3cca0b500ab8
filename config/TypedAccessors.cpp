#include "config/TypedAccessors.h"

#include "config/FieldText.h"
#include "config/RegisterMap.h"

#include <array>

namespace varnadex {

template <std::size_t N> bool TypedAccessors::writeRun(std::uint8_t r, const std::uint8_t* bytes) {
    for (std::size_t i = 0; i < N; ++i) {
        if (link_.SetRegister(static_cast<std::uint8_t>(r + i), bytes[i]) < 0) return false;
    }
    return true;
}

int TypedAccessors::GetByte(std::uint8_t r, std::uint8_t& out) {
    const int value = link_.GetRegister(r);
    if (value < 0) return 0;
    out = static_cast<std::uint8_t>(value);
    return 1;
}

int TypedAccessors::GetText(AccessorKind kind, std::uint8_t r, std::size_t count,
                            std::string& out) {
    std::uint8_t b[6];
    for (std::size_t i = 0; i < count; ++i) {
        // Addresses after the first wrap in 8 bits.
        const int value = link_.GetRegister(static_cast<std::uint8_t>(r + i));
        if (value < 0) return 0;
        b[i] = static_cast<std::uint8_t>(value);
    }
    out = registerText(kind, std::span(b, count));
    return 1;
}

int TypedAccessors::GetMac(std::uint8_t r, std::string& out) {
    return GetText(AccessorKind::Mac, r, 6, out);
}

int TypedAccessors::GetIp(std::uint8_t r, std::string& out) {
    return GetText(AccessorKind::Ipv4, r, 4, out);
}

int TypedAccessors::GetWord(std::uint8_t r, std::string& out) {
    return GetText(AccessorKind::Word, r, 2, out);
}

int TypedAccessors::GetHex(std::uint8_t r, std::string& out) {
    return GetText(AccessorKind::Hex, r, 1, out);
}

std::string TypedAccessors::GetVersion() {
    return link_.GetFirmwareVersion();
}

int TypedAccessors::SetByte(std::uint8_t r, std::uint8_t value) {
    return link_.SetRegister(r, value) < 0 ? 0 : 1;
}

int TypedAccessors::SetMac(std::uint8_t r, const std::string& text) {
    if (text.empty()) return 0;
    auto bytes = parseMac(text);
    if (!bytes) return 0;
    return writeRun<6>(r, bytes->data()) ? 1 : 0;
}

int TypedAccessors::SetIp(std::uint8_t r, const std::string& text) {
    auto bytes = parseIpv4(text);
    if (!bytes) return 0;
    return writeRun<4>(r, bytes->data()) ? 1 : 0;
}

int TypedAccessors::SetWord(std::uint8_t r, const std::string& text) {
    auto value = parseWord(text);
    if (!value) return 0;
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(*value >> 8),
                                   static_cast<std::uint8_t>(*value & 0xFF)};
    return writeRun<2>(r, bytes) ? 1 : 0;
}

int TypedAccessors::SetHex(std::uint8_t r, const std::string& text) {
    if (text.empty()) return 0;
    auto value = parseHexByte(text);
    if (!value) return 0;
    return SetByte(r, *value);
}

} // namespace varnadex
