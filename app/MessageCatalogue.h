#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

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
    PortInUse,               // %1 = device
    PortNoDevice,            // %1 = device
    PortPermissionDenied,    // %1 = device
    PortNotATerminal,        // %1 = device
    PortBadSettings,         // %1 = device, %2 = the system's reason
    PortOpenFailed,          // %1 = device, %2 = the system's reason
    RestartNotSent,
    Ipv6NotSupported,
    FirmwareNotOpened, // %1 = file name
    OperationAbortConfirm,
    ConfigFileUnreadable, // %1 = file name, %2 = why
    ConfigFileRefused,    // %1 = file name, %2 = why, naming the field
    ConfigFileNotes,      // %1 = file name, %2 = one line per value worth a look
    ConfigFileUnwritable, // %1 = file name, %2 = why
    VerifyFailed, // %2 = the fields, comma-separated (%1 unused)
};

// How many characters of a value a message echoes: enough to recognise it, never a screenful.
constexpr std::size_t kEchoedChars = 40;

// A value as a message may echo it: its first kEchoedChars characters (UTF-8 characters, a
// byte that is not part of one counting as one), then "…" when there was more. Control
// characters and bytes that are not UTF-8 are shown as C escapes (\n, \x1b), so that what
// a user typed or a converter sent cannot reach a terminal as a command.
std::string echoedValue(std::string_view value);

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

private:
    std::array<std::string, kCatalogueSize> texts_{};
    bool english_ = false;
};

} // namespace varnadex
