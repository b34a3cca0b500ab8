#pragma once

#include "config/ConverterConfig.h"
#include "config/Fields.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace varnadex {

constexpr std::size_t kCommunityMaxLength = 10;

// The fields that have registers, in register order: the converter's register map.
std::span<const Field* const> registerMap();
// The field with the MAC kind: written first, and only with /ENABLEMAC.
const Field& macField();

// One step of Read Conf or Write Conf: a field, or (writing only) the community's characters,
// which go apart from its length.
struct TransferStep {
    const Field* field;
    bool characters = false;
};
// The steps in the order Read Conf reads them, and Write Conf writes them (the MAC address
// apart: it is written first, and only with /ENABLEMAC).
std::span<const TransferStep> readOrder();
std::span<const TransferStep> writeOrder();

// The data-format texts as the Serial Port Settings list offers them.
std::span<const char* const> dataFormatTexts();
// Code of a text, case-sensitive; nothing for a text outside the table.
std::optional<std::uint8_t> dataFormatCodeFor(const std::string& text);
// Text that a code reads back as; nothing for an unknown code.
std::optional<std::string> dataFormatTextFor(std::uint8_t code);

// Register value to record, for the fields read as one byte (flags, data format, delay,
// timers). The community and the text kinds are not handled here.
void applyRegisterValue(const Field& field, std::uint8_t value, ConverterConfig& config);
// Record to register value for the one-byte fields; nothing when the field is not written
// (a network delay outside Small, Medium and Huge).
std::optional<std::uint8_t> registerValueFor(const Field& field, const ConverterConfig& config);

// A text field's registers as its accessor's text ("0050C2ABC000", "192.168.0.1", "9600",
// "7E"); `bytes` holds the kind's count of registers, first register first.
std::string registerText(AccessorKind kind, std::span<const std::uint8_t> bytes);

// The community as the write stores it in the record: cut to ten characters.
std::string communityForWrite(const std::string& community);

// The whole record in register form, as a converter holding it would have its memory.
// Registers no field uses are 0. Texts that do not convert leave their registers at 0.
std::array<std::uint8_t, 256> registerImage(const ConverterConfig& config);

} // namespace varnadex
