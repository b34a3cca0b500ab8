#include "serial/SerialLink.h"

#include "config/FieldText.h"
#include "serial/SerialFrames.h"

#include <algorithm>

namespace varnadex {

std::string describePortError(const PortOpenError& error, const MessageCatalogue& catalogue) {
    // An empty name still needs something to stand before the colon.
    const std::string device = error.device.empty() ? "\"\"" : error.device;
    switch (error.reason) {
    case PortFailure::None:
        return {};
    case PortFailure::InUse:
        return catalogue.extra(ExtraMsg::PortInUse, device);
    case PortFailure::NoDevice:
        return catalogue.extra(ExtraMsg::PortNoDevice, device);
    case PortFailure::PermissionDenied:
        return catalogue.extra(ExtraMsg::PortPermissionDenied, device);
    case PortFailure::NotATerminal:
        return catalogue.extra(ExtraMsg::PortNotATerminal, device);
    case PortFailure::BadSettings:
        return catalogue.extra(ExtraMsg::PortBadSettings, device, error.systemText);
    case PortFailure::Other:
        break;
    }
    return catalogue.extra(ExtraMsg::PortOpenFailed, device, error.systemText);
}

CSerialLink::CSerialLink(ISerialPort& port, IClock& clock, const MessageCatalogue& catalogue)
    : port_(port), clock_(clock), catalogue_(catalogue) {}

OpenFailure CSerialLink::openFailure() const {
    return {catalogue_.text(Msg::CouldntOpenPort),
            describePortError(port_.lastOpenError(), catalogue_)};
}

int CSerialLink::OpenPort(const std::string& comPort, int speed) {
    // A second open would otherwise leave the first device locked until the program ends.
    ClosePort();
    if (!port_.open(comPort, speed)) return 0;
    // Reads away what an earlier use left on the line. With nothing waiting this is one
    // silent read time-out, and the converter gets that second of silence before the lead-in.
    const Millis giveUp = clock_.now() + kDrainLimit;
    std::span<std::uint8_t> buffer(replyBuffer.data(), kReplyBufferSize);
    while (clock_.now() < giveUp && port_.read(buffer, kReplyTimeout) > 0) {
    }
    replyLength_ = 0;
    return 1;
}

int CSerialLink::ClosePort() {
    tailMayFollow_ = false;
    if (!port_.isOpen()) return 0;
    port_.close();
    return 1;
}

void CSerialLink::SendLeadIn() {
    port_.write(kLeadIn);
}

bool CSerialLink::writeRaw(std::span<const std::uint8_t> bytes) {
    return port_.isOpen() && port_.write(bytes);
}

void CSerialLink::discardInput() {
    if (port_.isOpen()) port_.discardInput();
}

void CSerialLink::drainOutput() {
    if (port_.isOpen()) port_.drainOutput(kDrainOutputLimit);
}

int CSerialLink::readReply(std::size_t needed, std::size_t limit) {
    // The reply's time-out starts once the converter has everything that was written: after
    // a slice of firmware that is up to a second after the writes returned.
    if (port_.isOpen()) port_.drainOutput(kDrainOutputLimit);
    return readInto(needed, needed, limit, false);
}

int CSerialLink::readInto(std::size_t needed, std::size_t usual, std::size_t limit,
                          bool frameReply) {
    const bool refusalEnds = frameReply;
    replyLength_ = 0;
    if (!port_.isOpen()) return -1;
    limit = std::clamp<std::size_t>(limit, 1, kReplyBufferSize);
    needed = std::clamp<std::size_t>(needed, 1, limit);
    auto rest = [&](std::size_t got) {
        return std::span<std::uint8_t>(replyBuffer.data() + got, limit - got);
    };

    const Millis deadline = clock_.now() + kReplyTimeout;
    std::size_t got = 0;
    while (got < needed) {
        // A refusal needs no more bytes to be judged.
        if (refusalEnds && got > 0 && replyBuffer[0] != kReplyAccepted) break;
        const Millis left = deadline - clock_.now();
        if (left <= Millis::zero()) break;
        const int n = port_.read(rest(got), left);
        if (n < 0) {
            replyLength_ = got;
            return -1;
        }
        got += static_cast<std::size_t>(n);
    }
    // Let the rest of the reply come in, so that none of it is taken for the next one. A reply
    // still short at the time-out has failed; what comes after it is not waited for.
    const bool complete =
        got >= needed || (refusalEnds && got > 0 && replyBuffer[0] != kReplyAccepted);
    if (complete && frameReply && got >= usual && replyBuffer[0] == kReplyAccepted)
        tailMayFollow_ = true; // the next frame's time on the line waits for the tail
    else if (complete)
        got = readUntilQuiet(got, usual, limit);
    replyLength_ = got;
    return static_cast<int>(got);
}

void CSerialLink::awaitTailBefore(std::size_t frameLength) {
    if (!tailMayFollow_ || kCharTime * static_cast<long>(frameLength) >= kReplyQuietTime) return;
    readUntilQuiet(0, 0, kReplyBufferSize);
    replyLength_ = 0;
    tailMayFollow_ = false;
}

void CSerialLink::dropTailAfterWrite() {
    if (!tailMayFollow_) return;
    // No answer's first byte is whole before one character time after the frame.
    port_.drainThenDiscard(kDrainOutputLimit, kCharTime);
    tailMayFollow_ = false;
}

std::size_t CSerialLink::readUntilQuiet(std::size_t got, std::size_t usual, std::size_t limit) {
    while (got < limit) {
        const int n = port_.read(std::span<std::uint8_t>(replyBuffer.data() + got, limit - got),
                                 got >= usual ? kReplyQuietTime : kPartialReplyQuietTime);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

int CSerialLink::readOn() {
    replyLength_ = 0;
    if (!port_.isOpen()) return -1;
    replyLength_ = readUntilQuiet(0, 0, kReplyBufferSize);
    return static_cast<int>(replyLength_);
}

bool CSerialLink::exchange(std::size_t frameLength, std::size_t needed, std::size_t usual) {
    if (!port_.isOpen()) return false;
    // A late tail of an earlier reply must not pass for the start of this one.
    awaitTailBefore(frameLength);
    port_.discardInput();
    if (!port_.write({commandBuffer.data(), frameLength})) return false;
    dropTailAfterWrite();
    if (readInto(needed, usual, kReplyBufferSize, true) < 0) return false;
    return checkReply(reply(), needed) == ReplyStatus::Accepted;
}

int CSerialLink::GetRegister(std::uint8_t address) {
    const auto frame = readByteFrame(address);
    std::copy(frame.begin(), frame.end(), commandBuffer.begin());
    if (!exchange(frame.size(), kReadByteReplySize, kReadByteReplySize)) return -1;
    return replyBuffer[kReplyValueOffset];
}

int CSerialLink::SetRegister(std::uint8_t address, std::uint8_t value) {
    const auto frame = writeByteFrame(address, value);
    std::copy(frame.begin(), frame.end(), commandBuffer.begin());
    return exchange(frame.size(), kWriteByteReplySize, kWriteByteReplyUsualSize) ? value : -1;
}

std::string CSerialLink::GetFirmwareVersion() {
    commandBuffer[0] = kVersionCommand;
    if (!exchange(kVersionFrameSize, kVersionReplySize, kVersionReplySize))
        return catalogue_.text(Msg::Unknown);
    return formatVersion(replyBuffer[kReplyValueOffset], replyBuffer[kReplyValueOffset + 1]);
}

} // namespace varnadex
