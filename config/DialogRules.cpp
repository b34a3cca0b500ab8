#include "config/DialogRules.h"

#include "app/Text.h"

#include "config/CodePage.h"

namespace varnadex {

std::string rangeMessage(int low, int high) {
    return "Please enter an integer between " + std::to_string(low) + " and " +
           std::to_string(high) + ".";
}

std::string textLimitMessage(std::size_t limit) {
    return "Please enter no more than " + std::to_string(limit) + " characters.";
}

std::optional<std::uint8_t> parseByteField(std::string_view text) {
    const auto value = parseDecimal(trimmed(text, kBlanks), 255);
    if (!value) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

ByteCheck checkByteField(std::string_view text, std::uint8_t low, std::uint8_t high) {
    const auto value = parseByteField(text);
    if (!value) return {std::nullopt, kByteFieldMessage};
    if (*value < low || *value > high) return {std::nullopt, rangeMessage(low, high)};
    return {value, {}};
}

std::optional<std::string> checkTextLimit(std::string_view utf8Text, std::size_t limit) {
    if (characterCount(utf8Text) > limit) return textLimitMessage(limit);
    return std::nullopt;
}

AdvancedEnables advancedEnables(int udp, int patternOn) {
    const bool tcp = udp == 0;
    return {.timerEdits = tcp,
            .delayButtons = tcp,
            .bufferButtons = tcp,
            .patternCheck = !tcp,
            .patternEdit = !tcp && patternOn != 0};
}

void onNormalMode(NetworkEnables& e, NetworkChecks checks) {
    e.protocolButtons = true;
    e.remoteAddressEdit = true;
    if (checks.tcpIpChecked)
        onTcpProtocol(e, checks);
    else
        onUdpProtocol(e);
}

void onCommandMode(NetworkEnables& e) {
    e = NetworkEnables{};
}

void onTcpProtocol(NetworkEnables& e, NetworkChecks checks) {
    e.tcpModeButtons = true;
    if (checks.serverChecked)
        onServerMode(e);
    else
        onClientMode(e);
}

void onUdpProtocol(NetworkEnables& e) {
    e.tcpModeButtons = false;
    e.remotePortEdit = true;
    e.remoteMaskEdit = true;
    e.localPortEdit = true;
}

void onServerMode(NetworkEnables& e) {
    e.remotePortEdit = false;
    e.remoteMaskEdit = true;
    e.localPortEdit = true;
}

void onClientMode(NetworkEnables& e) {
    e.remotePortEdit = true;
    e.remoteMaskEdit = false;
    e.localPortEdit = false;
}

NetworkEnables initialNetworkEnables(int commandMode, NetworkChecks checks) {
    NetworkEnables e;
    if (commandMode != 0)
        onCommandMode(e);
    else
        onNormalMode(e, checks);
    return e;
}

void onEnableRead(RemoteConfigEnables& e, int readOn, int writeOn) {
    if (readOn != 0) {
        e.community = true;
        e.writeBox = true;
        onEnableWrite(e, writeOn);
    } else {
        e = RemoteConfigEnables{};
    }
}

void onEnableWrite(RemoteConfigEnables& e, int writeOn) {
    e.filter = writeOn != 0;
}

} // namespace varnadex
