#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace varnadex {

// The converter's configuration frames. Each starts with an ASCII command letter; the register
// frames end with the sum, modulo 256, of the bytes between the letter and the checksum.
inline constexpr std::uint8_t kReadByteCommand = 0x64;  // 'd'
inline constexpr std::uint8_t kWriteByteCommand = 0x44; // 'D'
inline constexpr std::uint8_t kVersionCommand = 0x23;   // '#'
inline constexpr std::uint8_t kLeadInByte = 0x58;       // 'X'
inline constexpr std::uint8_t kRestartCommand = 0x52;   // 'R', after a run of 'X'
inline constexpr std::uint8_t kReplyAccepted = 0x4F;    // 'O', first byte of an accepted reply

inline constexpr std::size_t kReadByteFrameSize = 4;
inline constexpr std::size_t kWriteByteFrameSize = 6;
inline constexpr std::size_t kVersionFrameSize = 1;

// Bytes a reply must hold before its data can be taken: 'O', a byte the program never looks
// at, then the data (the register value; major and minor version).
inline constexpr std::size_t kReadByteReplySize = 3;
inline constexpr std::size_t kVersionReplySize = 4;
inline constexpr std::size_t kWriteByteReplySize = 1;
inline constexpr std::size_t kReplyValueOffset = 2;
// A write's reply needs only its 'O', but usually carries the byte at offset 1 that every
// other reply has.
inline constexpr std::size_t kWriteByteReplyUsualSize = 2;

inline constexpr std::array<std::uint8_t, 6> kLeadIn = {'X', 'X', 'X', 'X', 'X', 'X'};
inline constexpr std::array<std::uint8_t, 6> kRestartFrame = {'X', 'X', 'X', 'X', 'X', 'R'};
inline constexpr std::array<std::uint8_t, 4> kRestartRequestTail = {'X', 'X', 'X', 'R'};

std::array<std::uint8_t, kReadByteFrameSize> readByteFrame(std::uint8_t address);
std::array<std::uint8_t, kWriteByteFrameSize> writeByteFrame(std::uint8_t address,
                                                             std::uint8_t value);

enum class ReplyStatus {
    Accepted,
    Empty,   // nothing came
    Refused, // the first byte is not 'O'
    Short,   // 'O', but the data did not all come
};

// Judges a reply to a frame that needs `needed` bytes (kReadByteReplySize, ...).
ReplyStatus checkReply(std::span<const std::uint8_t> reply, std::size_t needed);

// The converter's side: what a byte stream from the program starts with.
enum class CommandKind { ReadByte, WriteByte, Version, LeadIn, Restart, Unknown };

struct DecodedCommand {
    CommandKind kind = CommandKind::Unknown;
    std::size_t length = 1; // bytes the command takes from the stream
    std::uint8_t address = 0;
    std::uint8_t value = 0; // the write's value; for one-byte commands the byte itself
    bool checksumOk = true;
    std::uint8_t checksum = 0; // as received, for the register frames
};

// The command at the start of `bytes`, or nothing while a register frame is still incomplete.
// 'X' and 'R' come back one byte at a time: the lead-in and the restart are runs of them.
std::optional<DecodedCommand> decodeCommand(std::span<const std::uint8_t> bytes);

} // namespace varnadex
