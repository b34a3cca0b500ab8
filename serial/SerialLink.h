#pragma once

#include "app/Clock.h"
#include "app/MessageCatalogue.h"
#include "config/ConfigConnection.h"
#include "config/RegisterLink.h"
#include "serial/SerialPort.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace varnadex {

inline constexpr int kConverterSpeed = 9600;
inline constexpr std::size_t kReplyBufferSize = 255;

// The converter's total read time-out: a reply that has not come within it never will.
inline constexpr Millis kReplyTimeout{1000};

// One character on the converter's line: start, eight data and stop bits at 9600 b/s.
inline constexpr Micros kCharTime{10'000'000 / 9600};

// Whatever else the converter sends with a reply (offset 1, bytes after the data) comes back to
// back, one character each 1.04 ms; three character times cover that even when a poll wakes a
// couple of milliseconds late. A quiet time of 1 ms cut replies in two and left their tails to
// be read as the start of the next reply. A register or version reply is not waited out: the
// next frame's own time on the line covers its tail, since no reply to that frame can start
// before the converter has all of it. Written, the frame is drained and what came meanwhile
// thrown away; a frame shorter on the line than this (the version's one byte) waits out the
// rest before it goes. Bursts further apart (USB adapters hold bytes up to 16 ms) cannot split
// a reply, because its needed bytes are waited for; a tail that comes later still is thrown
// away before the next frame. Raw replies (the restart, the firmware loader) are waited out.
inline constexpr Micros kReplyQuietTime{3125};

// A reply that holds what its frame needs but less than such replies usually carry (a write's
// 'O' without its second byte) must stay quiet longer: a USB adapter may hold the rest for up
// to 16 ms, and that rest would otherwise be read as the start of the next reply.
inline constexpr Micros kPartialReplyQuietTime{30'000};

// The longest wait for written bytes to leave the port before a raw reply is read: a tick's
// slice of 1001 bytes takes 1.04 s at 9600 b/s.
inline constexpr Micros kDrainOutputLimit{1500000};

// The drain on open reads until the port has been silent for a whole read time-out; a port
// that never falls silent would keep it reading for ever, so it gives up after this long and
// leaves the rest to the discard before each frame.
inline constexpr Millis kDrainLimit{5000};

// One line that says why a port could not be opened, in the catalogue's language; empty when
// the port did not say.
std::string describePortError(const PortOpenError& error, const MessageCatalogue& catalogue);

// The converter's configuration link over a COM port: the port, one frame and one reply at a
// time, and the raw exchanges that the restart and the firmware download need.
class CSerialLink : public IRegisterLink {
public:
    CSerialLink(ISerialPort& port, IClock& clock, const MessageCatalogue& catalogue);

    // 1 when the port is open and set up, and what was waiting on it has been read away; 0
    // when it cannot be opened (openFailure() says why).
    int OpenPort(const std::string& comPort, int speed);
    PortOpenError lastOpenError() const { return port_.lastOpenError(); }
    // The last failed open as the user is told it: "Couldn't open communication port!", and
    // the system's reason when it gave one.
    OpenFailure openFailure() const;
    // 1 when it closed an open port, 0 when none was open.
    int ClosePort();
    bool isOpen() const { return port_.isOpen(); }

    // Six 'X' before the first frame of a configuration transfer. Its result is not examined
    // and no reply is read.
    void SendLeadIn();

    int GetRegister(std::uint8_t address) override;
    int SetRegister(std::uint8_t address, std::uint8_t value) override;
    // "Unknown" in the catalogue's language when the converter does not tell.
    std::string GetFirmwareVersion() override;

    // Raw access for the restart frame and the firmware download. writeRaw sends the bytes as
    // they are; readReply reads into replyBuffer, waiting up to 1000 ms until `needed` bytes
    // have come, then until the line is quiet or `limit` bytes are in. It returns the bytes
    // read (fewer than `needed` when the time ran out), -1 when the port failed.
    bool writeRaw(std::span<const std::uint8_t> bytes);
    int readReply(std::size_t needed = 1, std::size_t limit = kReplyBufferSize);
    // After a reply that filled replyBuffer: the next bytes the converter sent with it, read
    // until the line is quiet or the buffer is full again. Returns their count, 0 when the line
    // was already quiet, -1 when the port is closed.
    int readOn();
    void discardInput();
    // Waits until what was written has left the port (at most kDrainOutputLimit).
    void drainOutput();
    std::span<const std::uint8_t> reply() const { return {replyBuffer.data(), replyLength_}; }

    // Every read lands here from its first byte; one spare byte lets a reply be ended with a
    // zero and searched as text. Bytes beyond the latest reply are left from earlier ones.
    std::array<std::uint8_t, kReplyBufferSize + 1> replyBuffer{};
    // Every frame is built here from its first byte and written from here.
    std::array<std::uint8_t, 6> commandBuffer{};

private:
    // A frame's reply (`frameReply`) ends early at a refusal, and leaves the tail of a whole
    // reply to the next frame; a raw reply is read until the line is quiet.
    int readInto(std::size_t needed, std::size_t usual, std::size_t limit, bool frameReply);
    // Before and after a frame is written: what the last reply's tail needs.
    void awaitTailBefore(std::size_t frameLength);
    void dropTailAfterWrite();
    // Reads on from replyBuffer[got] until the line is quiet or `limit` bytes are in.
    std::size_t readUntilQuiet(std::size_t got, std::size_t usual, std::size_t limit);
    bool exchange(std::size_t frameLength, std::size_t needed, std::size_t usual);

    ISerialPort& port_;
    IClock& clock_;
    const MessageCatalogue& catalogue_;
    std::size_t replyLength_ = 0;
    bool tailMayFollow_ = false; // the last reply was taken without waiting out its quiet time
};

} // namespace varnadex
