#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnadex {

// The rules of the settings dialogs that need no widget: how their fields are checked when
// the user presses OK, and which controls the mode buttons enable.

// ---- Checks -------------------------------------------------------------------------------

// The platform's standard validation texts. They are English whatever the language setting.
inline constexpr const char* kByteFieldMessage = "Please enter an integer between 0 and 255.";
std::string rangeMessage(int low, int high);     // "Please enter an integer between %1 and %2."
std::string textLimitMessage(std::size_t limit); // "Please enter no more than %1 characters."

// A byte field's text: an unsigned decimal number of at most 255, with spaces and tabs
// allowed around it. Nothing for anything else (empty, signs, letters, 256 and above).
std::optional<std::uint8_t> parseByteField(std::string_view text);

// Outcome of checking one field: the value, or the message to show.
struct ByteCheck {
    std::optional<std::uint8_t> value;
    std::string message; // empty when value holds
};

// Parse first, then the range: a text that is no byte at all gets the 0-255 message, a byte
// outside [low, high] the range message.
ByteCheck checkByteField(std::string_view text, std::uint8_t low, std::uint8_t high);

// The message for a text longer than `limit` characters, or nothing. Characters, not bytes:
// the texts are UTF-8 and a Hungarian letter is one character to the user.
std::optional<std::string> checkTextLimit(std::string_view utf8Text, std::size_t limit);

// ---- Serial Port Settings ----------------------------------------------------------------

// The DTR/DSR buttons: set once when the dialog opens, off while the protocol is UDP/IP.
inline bool dtrDsrEnabled(int udp) {
    return udp == 0;
}

// ---- Advanced Settings --------------------------------------------------------------------

// Options that only make sense for TCP/IP are off while the protocol is UDP/IP (`udp` non-zero);
// the pattern character is offered only then.
struct AdvancedEnables {
    bool timerEdits = false;    // Network Timeout, Keep-alive Timer
    bool delayButtons = false;  // Small, Medium, Huge
    bool bufferButtons = false; // Keep Data, Clear Buffer
    bool patternCheck = false;  // the pattern character's check box
    bool patternEdit = false;   // the pattern character's edit
    bool operator==(const AdvancedEnables&) const = default;
};

AdvancedEnables advancedEnables(int udp, int patternOn);
// The pattern edit after a click on its check box: it follows the box, nothing else.
inline bool patternEditEnabledAfterClick(bool boxChecked) {
    return boxChecked;
}

// ---- Network Settings ---------------------------------------------------------------------

// Enabled states of the controls the mode buttons change. The buttons of one group are
// always enabled together.
struct NetworkEnables {
    bool protocolButtons = false; // TCP/IP, UDP/IP
    bool tcpModeButtons = false;  // Client, Server
    bool remoteAddressEdit = false;
    bool remotePortEdit = false;
    bool localPortEdit = false;
    bool remoteMaskEdit = false; // Remote Subnet Mask
    bool operator==(const NetworkEnables&) const = default;
};

// What the handlers read from the other radio buttons when they run.
struct NetworkChecks {
    bool tcpIpChecked = false;
    bool serverChecked = false;
};

// One function per radio button's handler. Each changes only what its handler changes and
// leaves the rest as it finds it, so the same calls serve the dialog's opening and clicks.
void onNormalMode(NetworkEnables& e, NetworkChecks checks);
void onCommandMode(NetworkEnables& e);
void onTcpProtocol(NetworkEnables& e, NetworkChecks checks);
void onUdpProtocol(NetworkEnables& e);
void onServerMode(NetworkEnables& e);
void onClientMode(NetworkEnables& e);

// The states when the dialog opens: Command when the working mode is non-zero, else Normal.
NetworkEnables initialNetworkEnables(int commandMode, NetworkChecks checks);

// ---- Remote Config Settings ---------------------------------------------------------------

struct RemoteConfigEnables {
    bool community = false;
    bool writeBox = false; // "Enable Write Config"; it keeps its check mark when disabled
    bool filter = false;   // filter address and mask
    bool operator==(const RemoteConfigEnables&) const = default;
};

void onEnableRead(RemoteConfigEnables& e, int readOn, int writeOn);
void onEnableWrite(RemoteConfigEnables& e, int writeOn);

} // namespace varnadex
