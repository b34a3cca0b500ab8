#include "serial/SerialFrames.h"

namespace varnadex {

std::array<std::uint8_t, kReadByteFrameSize> readByteFrame(std::uint8_t address) {
    return {kReadByteCommand, 0x00, address, address};
}

std::array<std::uint8_t, kWriteByteFrameSize> writeByteFrame(std::uint8_t address,
                                                             std::uint8_t value) {
    return {
        kWriteByteCommand, 0x00, address, 0x00, value, static_cast<std::uint8_t>(address + value)};
}

ReplyStatus checkReply(std::span<const std::uint8_t> reply, std::size_t needed) {
    if (reply.empty()) return ReplyStatus::Empty;
    if (reply[0] != kReplyAccepted) return ReplyStatus::Refused;
    if (reply.size() < needed) return ReplyStatus::Short;
    return ReplyStatus::Accepted;
}

std::optional<DecodedCommand> decodeCommand(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return std::nullopt;
    DecodedCommand c;
    c.value = bytes[0];
    auto sum = [&](std::size_t from, std::size_t to) {
        std::uint8_t s = 0;
        for (std::size_t i = from; i < to; ++i)
            s = static_cast<std::uint8_t>(s + bytes[i]);
        return s;
    };
    switch (bytes[0]) {
    case kReadByteCommand:
        if (bytes.size() < kReadByteFrameSize) return std::nullopt;
        c.kind = CommandKind::ReadByte;
        c.length = kReadByteFrameSize;
        c.address = bytes[2];
        c.value = 0;
        c.checksum = bytes[3];
        c.checksumOk = sum(1, 3) == c.checksum;
        return c;
    case kWriteByteCommand:
        if (bytes.size() < kWriteByteFrameSize) return std::nullopt;
        c.kind = CommandKind::WriteByte;
        c.length = kWriteByteFrameSize;
        c.address = bytes[2];
        c.value = bytes[4];
        c.checksum = bytes[5];
        c.checksumOk = sum(1, 5) == c.checksum;
        return c;
    case kVersionCommand:
        c.kind = CommandKind::Version;
        return c;
    case kLeadInByte:
        c.kind = CommandKind::LeadIn;
        return c;
    case kRestartCommand:
        c.kind = CommandKind::Restart;
        return c;
    default:
        return c;
    }
}

} // namespace varnadex
