#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnadex {

// Entries of the message catalogue, in catalogue order.
enum class Msg : int {
    Unknown = 0,
    ErrorCaption = 1,
    CouldntCreateSocket = 2,
    CouldntConnect = 3,
    NetworkCommError = 4,
    Done = 5,
    SerialCommError = 6,
    CouldntOpenPort = 7,
    WrongMac = 8,
    FirmwareIncompatible = 9,
    FirmwareSuccess = 10,
    DownloadError = 11,
    NotAcknowledged = 12,
    CouldntSend = 13,
    WrongHex = 14,
    OldFirmware = 15,
};

// Texts of our own that the catalogue does not have: the checks made before a write.
enum class ExtraMsg : int {
    WrongIpAddress,   // %1 = field label, %2 = text
    WrongPort,        // %1 = field label, %2 = text
    WrongSpeed,       // %1 = text
    CommunityTooLong, // %1 = limit (request buffer)
    BadHostPort,      // %1 = host text
    FirmwareTooShort, // %1 = file name
    FirmwareAbortConfirm,
    CommunityNotConvertible, // %1 = the community text
    ReadInterrupted,
    WriteInterrupted, // %1 = registers written, %2 = registers in the whole write
    WriteInterruptedUnchanged,
    FirmwareInterrupted,
    PortInUse,            // %1 = device
    PortNoDevice,         // %1 = device
    PortPermissionDenied, // %1 = device
    PortNotATerminal,     // %1 = device
    PortBadSettings,      // %1 = device, %2 = the system's reason
    PortOpenFailed,       // %1 = device, %2 = the system's reason
    RestartNotSent,
    Ipv6NotSupported,
    FirmwareNotOpened, // %1 = file name
    OperationAbortConfirm,
    ConfigFileUnreadable, // %1 = file name, %2 = why
    ConfigFileRefused,    // %1 = file name, %2 = why, naming the field
    ConfigFileNotes,      // %1 = file name, %2 = one line per value worth a look
    ConfigFileUnwritable, // %1 = file name, %2 = why
    VerifyFailed,         // %2 = the fields, comma-separated (%1 unused)

    // A configuration file's members, and FIELD=VALUE as set and a list's columns give them.
    FileNotJson,   // %1 = the parser's own account
    FileNotJsonAt, // %1 = the member being read, %2 = the parser's own account
    FileNotObject,
    FieldNotAField,     // %1 = the name
    FieldMissing,       // %1 = field
    FieldGivenTwice,    // %1 = field
    FieldNotSingle,     // %1 = field
    FieldMustBeText,    // %1 = field
    FieldTooLong,       // %1 = field, %2 = limit
    FieldNotDataFormat, // %1 = field
    FieldMustBeWhole,   // %1 = field
    FieldOutOfRange,    // %1 = field, %2 = low, %3 = high
    FieldOutsideDialog, // %1 = field, %2 = value, %3 = low, %4 = high
    DataFormatConflict, // %1 = the text's field, %2 = its value, %3 = the code's field, %4 = code
    MacNeedsEnable,     // %1 = the MAC address's field

    // A list of converters (--hosts).
    ListEmpty,
    ListColumnUnnamed, // %1 = column number
    ListColumnTwice,   // %1 = column name
    ListNoHostColumn,
    ListLine, // %1 = line, %2 = why
    ListTooManyCells,
    ListHostOrPort,
    ListListedTwice,   // %1 = host or port, %2 = line
    ListSameConverter, // %1 = host, %2 = the other line's host, %3 = its line
    ListBadHost,       // %1 = the cell
    CsvQuoteNotClosed, // %1 = line
    CsvTextAfterQuote, // %1 = line

    // A batch's summary on standard error, in pieces.
    BatchCount,      // %1 = converters in the list
    BatchOk,         // %1 = count
    BatchChanged,    // %1 = count
    BatchUnchanged,  // %1 = count
    BatchFailed,     // %1 = count
    BatchDiffer,     // %1 = count
    BatchNotStarted, // %1 = count
    OutputLost,      // %1 = the system's reason
    JobsLowered,     // %1 = jobs asked for, %2 = jobs the limit allows
    NoSocket,        // %1 = the system's reason
    StopNote,
    ForcedExit,
    ForcedExitClean,

    // Finding converters (scan and the Find Converters window).
    ScanNotTarget,      // %1 = target
    ScanFileInFile,     // %1 = target
    ScanNotCidr,        // %1 = target
    ScanPrefixTooLong,  // %1 = target
    ScanTooWide,        // %1 = target, %2 = widest prefix
    ScanNotIpv4,        // %1 = target
    ScanUnknownHost,    // %1 = target
    ScanFileUnreadable, // %1 = file, %2 = why
    ScanInFile,         // %1 = file, %2 = line, %3 = why
    ScanNoAddress,
    ScanRate, // %1 = highest rate
    ScanSnmpPort,
    ScanSocketFailed,
    ScanStopped,

    // A converter whose answers came, but after its requests had been given up.
    AnsweredTooSlowly,
};

// How many characters of a value a message echoes: enough to recognise it, never a screenful.
constexpr std::size_t kEchoedChars = 40;

// A value as a message may echo it: its first `limit` characters (UTF-8 characters, a byte
// that is not part of one counting as one), then "…" when there was more. Control characters
// and bytes that are not UTF-8 are shown as C escapes (\n, \x1b), so that what a user typed
// or a converter sent cannot reach a terminal as a command.
std::string echoedValue(std::string_view value, std::size_t limit = kEchoedChars);
// The same, whole: for a value that names something and must not be cut (a device path).
inline std::string escapedValue(std::string_view value) {
    return echoedValue(value, std::string_view::npos);
}

// What went wrong, said by a layer that does not talk to the user: a catalogue text and its
// arguments (echoed, so cut and escaped), and what caused it, put whole as the argument after
// the last. The caller says it in its catalogue's language.
struct Problem {
    ExtraMsg message;
    std::vector<std::string> args;
    std::shared_ptr<const Problem> cause;

    Problem(ExtraMsg m, std::initializer_list<std::string> a = {}) : message(m), args(a) {}
    Problem(ExtraMsg m, std::initializer_list<std::string> a, Problem inner)
        : message(m), args(a), cause(std::make_shared<const Problem>(std::move(inner))) {}
};

constexpr int kCatalogueSize = 16;

// The user-visible texts in the chosen language (UTF-8).
class MessageCatalogue {
public:
    // language 1 fills English; 0 and every other value fill Hungarian (our choice for
    // values other than 0 and 1: the Hungarian windows go with Hungarian texts).
    void fill(int language);

    const std::string& text(Msg entry) const { return texts_[static_cast<int>(entry)]; }
    const std::string& operator[](int entry) const { return texts_.at(entry); }
    bool english() const { return english_; }

    // The text with %1 and %2 replaced, once and left to right, by the echoed form of the
    // arguments: a "%2" inside the first argument stays as it is.
    std::string extra(ExtraMsg which, const std::string& arg1 = {},
                      const std::string& arg2 = {}) const;
    // A problem in this catalogue's language, its causes included.
    std::string say(const Problem& problem) const;

private:
    std::array<std::string, kCatalogueSize> texts_{};
    bool english_ = false;
};

} // namespace varnadex
