#pragma once

#include "app/MessageCatalogue.h"
#include "config/ConverterConfig.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

namespace varnadex {

// Which typed accessor pair moves a field: its registers and its text form.
enum class AccessorKind { Mac, Ipv4, Word, Byte, Hex };

// How a register value becomes a record value and back, beyond the accessor's own text form.
enum class Rule {
    None,         // no registers of its own
    Text,         // MAC, IPv4, word and hex: the accessor's text as it stands
    Flag,         // 0 is off, any other value on
    FlagFFOff,    // 0 and 255 are off, any other value on
    DataFormat,   // register 44: the data format's code, and its text where one has it
    NetworkDelay, // 1 Small, 5 Medium, anything else Huge; written as 1/5/10
    KeepAlive,    // seconds x 10 on the converter
    Plain,        // the byte as it is
    Community,    // the length at the first register, the characters after it
};

// Where a field is used, beyond the record.
enum FieldUse : unsigned {
    InFile = 1u << 0,        // a member of the configuration file, a list's column, set's FIELD
    Sent = 1u << 1,          // moved to and from the converter's registers
    OnlyWithMac = 1u << 2,   // written and compared only with /ENABLEMAC (--enable-mac)
    Optional = 1u << 3,      // a file may leave it out
    Scanned = 1u << 4,       // a scan reads it from every converter found
    AccessSetting = 1u << 5, // how the program reaches the converter; never sent, and kept
                             // when a configuration file is opened
    Reported = 1u << 6,      // what a read found: written to files, never taken from them
};

// How a file's member is checked as it is read.
enum class FileCheck {
    AnyText,    // any text: the write checks it before anything is sent
    DataFormat, // one of the data formats
    MaxLength,  // at most textLimit characters
    Range,      // a whole number in [low, high]
};

using FieldMember = std::variant<std::string ConverterConfig::*, int ConverterConfig::*,
                                 std::uint8_t ConverterConfig::*>;

struct FieldLabel {
    const char* english = nullptr;
    const char* hungarian = nullptr;
};

// One field of the record, described once: every reader, writer, comparer, check and list of
// names derives from these rows.
struct Field {
    const char* name; // the record member's, the file's and the list's name
    FieldMember member;
    unsigned uses = 0;            // FieldUse
    const char* column = nullptr; // a list's column, where it is not `name`
    // The registers: the first, and how many (the community: its length register).
    std::uint8_t first = 0;
    std::uint8_t count = 0;
    AccessorKind kind = AccessorKind::Byte;
    Rule rule = Rule::None;
    int readStep = 0;  // place in Read Conf's order, from 1; 0: not read
    int writeStep = 0; // place in Write Conf's order, from 1; 0: not in the order
    int charsStep = 0; // the community's characters: their own place in Write Conf's order
    // The file's check, and a whole number's ranges: what the registers can hold, and what
    // the settings dialog offers (outside it a value is written with a warning).
    FileCheck check = FileCheck::AnyText;
    int low = 0, high = 0, dialogLow = 0, dialogHigh = 0;
    std::size_t textLimit = 0;         // characters a dialog and a file take; 0: no limit
    bool speed = false;                // a word that is a line speed, not a port, for its message
    FieldLabel label = {};             // the settings dialog's name for it, for messages
    const char* values = nullptr;      // what its values mean, for those who edit a file
    const char* scanHeading = nullptr; // the scan table's column
};

// Every field of the record, in the configuration file's order.
std::span<const Field> fields();
const Field* findField(std::string_view name);
// The field whose list column is `column`.
const Field* fieldForColumn(std::string_view column);
inline bool uses(const Field& f, FieldUse use) {
    return (f.uses & use) != 0;
}
inline const char* columnOf(const Field& f) {
    return f.column ? f.column : f.name;
}

// The member itself. The text form and the number form; a field has exactly one of them.
const std::string* textOf(const Field& f, const ConverterConfig& c);
std::string* textOf(const Field& f, ConverterConfig& c);
int numberOf(const Field& f, const ConverterConfig& c);
void setNumber(const Field& f, ConverterConfig& c, int value);
// Copies the field's member from one record to another.
void copyField(const Field& f, const ConverterConfig& from, ConverterConfig& to);
// Lays how `access` reaches its converter (the access settings, and what a read found of it)
// over `record`, whose converter fields stay: a configuration file opened, or a list's row,
// describes a converter; how it is reached stays the caller's.
void layAccessSettings(const ConverterConfig& access, ConverterConfig& record);

// Fields that go together, settled once a file's members have been taken (`given`): the data
// format's text decides its code, unless the code given beside it is one no text has (the
// converter's own, kept from a read and written back as it is). A code that names another
// data format than the text is refused.
std::optional<Problem> settleFileFields(ConverterConfig& c, std::span<const Field* const> given);
// The same after one field was set on its own (set FIELD=VALUE, a list's column): the text
// brings its code along, and a code that a text has brings that text.
void settleSetField(const Field& f, ConverterConfig& c);

} // namespace varnadex
