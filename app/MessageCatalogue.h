#pragma once

#include <array>
#include <string>

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
    VerifyFailed, // %1 = the fields, comma-separated
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

    std::string extra(ExtraMsg which, const std::string& arg1 = {},
                      const std::string& arg2 = {}) const;

private:
    std::array<std::string, kCatalogueSize> texts_{};
    bool english_ = false;
};

} // namespace varnadex
