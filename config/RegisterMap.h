#pragma once

#include "config/ConverterConfig.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace varnadex {

// Which typed accessor pair moves a field.
enum class AccessorKind { Mac, Ipv4, Word, Byte, Decimal, Hex };

// How a register value becomes a record value and back, beyond the accessor's own text form.
enum class Rule {
    Text,           // MAC, IPv4, word and hex: the accessor's text as it stands
    Flag,           // 0 is off, any other value on
    FlagFFOff,      // 0 and 255 are off, any other value on
    DataFormat,     // register 44: code into dataFormatCode, its text into dataFormat
    NetworkDelay,   // 1 Small, 5 Medium, anything else Huge; written as 1/5/10
    KeepAlive,      // seconds x 10 on the converter
    Plain,          // the byte as it is
    Community,      // length at the first register; reading takes the characters too
    CommunityChars, // writing only: the characters, one register each from 81
};

using FieldMember = std::variant<std::string ConverterConfig::*, int ConverterConfig::*,
                                 std::uint8_t ConverterConfig::*>;

struct FieldEntry {
    const char* name;   // the record member's name
    std::uint8_t first; // first register
    std::uint8_t count; // registers (for the community: the length register only)
    AccessorKind kind;
    Rule rule;
    FieldMember member;
};

constexpr std::uint8_t kCommunityLengthRegister = 80;
constexpr std::size_t kCommunityMaxLength = 10;

// Every converter field, once.
std::span<const FieldEntry> registerMap();
const FieldEntry* findField(const std::string& name);

// The fields in the order Read Conf reads them, and Write Conf writes them (MAC excluded;
// it is written first, and only with /ENABLEMAC).
std::span<const FieldEntry* const> readOrder();
std::span<const FieldEntry* const> writeOrder();
const FieldEntry& macField();

// The data-format texts as the Serial Port Settings list offers them.
std::span<const char* const> dataFormatTexts();
// Code of a text, case-sensitive; nothing for a text outside the table.
std::optional<std::uint8_t> dataFormatCodeFor(const std::string& text);
// Text that a code reads back as; nothing for an unknown code.
std::optional<std::string> dataFormatTextFor(std::uint8_t code);

// Register value to record, for the fields read as one byte (flags, data format, delay,
// timers). The community and the text kinds are not handled here.
void applyRegisterValue(const FieldEntry& field, std::uint8_t value, ConverterConfig& config);
// Record to register value for the one-byte fields; nothing when the field is not written
// (networkDelay outside 0-2).
std::optional<std::uint8_t> registerValueFor(const FieldEntry& field,
                                             const ConverterConfig& config);

// The community as the write stores it in the record: cut to ten characters.
std::string communityForWrite(const std::string& community);

// The whole record in register form, as a converter holding it would have its memory.
// Registers no field uses are 0. Texts that do not convert leave their registers at 0.
std::array<std::uint8_t, 256> registerImage(const ConverterConfig& config);

} // namespace varnadex
