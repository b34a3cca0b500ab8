#include "maintenance/FirmwareUpgrade.h"

#include "serial/SerialFrames.h"
#include "serial/SerialLink.h"

#include <algorithm>
#include <array>
#include <climits>

namespace varnadex {
namespace {

constexpr std::uint8_t kVersionQuery = 'V';
constexpr std::uint8_t kIncompatible = 'I';
constexpr std::uint8_t kStartImage = 'S';
// A loader ready to take firmware answers 'V' with these two bytes and nothing else.
constexpr std::array<std::uint8_t, 2> kLoaderReady = {0x00, 0x01};

// The converter's answer to 'V' is not immediate.
constexpr Millis kVersionWait{100};
// The converter needs this long to restart into its loader.
constexpr Millis kRestartWait{3000};
// The loader wants a second after 'S' before the first image byte.
constexpr Millis kStartWait{1000};

// A slice is this budget plus the byte read before it: at most 1001 bytes a tick, a little
// over what a 9600 b/s line carries between two ticks of the 1000 ms timer.
constexpr int kSliceBudget = 1000;
// The converter is asked for an error once every 10000 file bytes, after the byte that
// brings the file position to ...9999 (the header counts).
constexpr std::uint64_t kCheckpointEvery = 10000;
constexpr std::uint64_t kCheckpointAt = 9999;
constexpr std::uint64_t kProgressUnit = 1000;
// A checkpoint's answer is read until the line falls quiet, so that none of it is left to pass
// for the verdict; a converter that never falls quiet is given up on after five seconds of the
// line at 9600 b/s, far beyond any answer.
constexpr std::size_t kCheckpointTalkLimit = 4800;

int progressUnits(std::uint64_t bytes) {
    return static_cast<int>(std::min<std::uint64_t>(bytes / kProgressUnit, INT_MAX));
}

} // namespace

FirmwareUpgrade::FirmwareUpgrade(CSerialLink& link, IFirmwareFile& file, IClock& clock,
                                 IMessageSink& sink, const MessageCatalogue& catalogue)
    : link_(link), file_(file), clock_(clock), sink_(sink), catalogue_(catalogue) {}

std::optional<Problem> FirmwareUpgrade::OpenImage(IFirmwareFile& file, const std::string& path) {
    // The file chosen in the dialog may be gone or unreadable by the time it is opened.
    if (!file.open(path)) return Problem(ExtraMsg::FirmwareNotOpened, {path});
    if (file.length() <= kFirmwareHeaderSize) {
        file.close();
        return Problem(ExtraMsg::FirmwareTooShort, {path});
    }
    // A header that cannot be read is a file that cannot be opened.
    std::array<std::uint8_t, kFirmwareHeaderSize> header{};
    std::size_t got = 0;
    while (got < header.size()) {
        const int n = file.read(std::span(header).subspan(got));
        if (n <= 0) {
            file.close();
            return Problem(ExtraMsg::FirmwareNotOpened, {path});
        }
        got += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

bool FirmwareUpgrade::Start(const std::string& comPort, const std::string& path) {
    // A second start would send a second image into the first.
    if (state_ != State::Idle) return false;
    succeeded_ = false;
    // The image is checked before the port is opened: the converter is never disturbed for
    // a file that cannot be loaded.
    if (auto problem = OpenImage(file_, path)) {
        sink_.show(MessageKind::Error, catalogue_.say(*problem));
        return false;
    }
    progressMaximum_ = progressUnits(file_.length());
    progressValue_ = 0;
    imageBytes_ = file_.length() - kFirmwareHeaderSize;
    imageBytesSent_ = 0;

    state_ = State::Checking;
    if (!link_.OpenPort(comPort, kConverterSpeed)) {
        const OpenFailure failure = link_.openFailure();
        file_.close();
        state_ = State::Idle;
        sink_.show(MessageKind::Error, failure.message);
        if (!failure.note.empty()) sink_.note(failure.note);
        return false;
    }
    if (!askVersion()) {
        restartIntoLoader();
        if (!askVersion()) return fail(Msg::SerialCommError);
    }
    // One byte is not the ready answer, whatever an earlier reply left in the buffer.
    const auto reply = link_.reply();
    if (!std::equal(kLoaderReady.begin(), kLoaderReady.end(), reply.begin(), reply.end())) {
        link_.writeRaw(std::span(&kIncompatible, 1));
        return fail(Msg::FirmwareIncompatible);
    }
    if (!link_.writeRaw(std::span(&kStartImage, 1))) return fail(Msg::CouldntSend);
    clock_.sleepFor(kStartWait);
    state_ = State::Transferring;
    return true;
}

// True when anything came back; the reply is then in link_.reply().
bool FirmwareUpgrade::askVersion() {
    link_.writeRaw(std::span(&kVersionQuery, 1));
    clock_.sleepFor(kVersionWait);
    return link_.readReply(kLoaderReady.size(), kLoaderReady.size()) > 0;
}

// A converter running its configuration firmware ignores 'V'. The restart request makes it
// start its loader: 255 written to register 255, then "XXXR".
void FirmwareUpgrade::restartIntoLoader() {
    link_.SendLeadIn();
    // Its reply is read and not judged.
    link_.SetRegister(0xFF, 0xFF);
    link_.writeRaw(kRestartRequestTail);
    clock_.sleepFor(kRestartWait);
    // Whatever the converter said while restarting.
    link_.readReply(1, kReplyBufferSize);
}

bool FirmwareUpgrade::readByte(std::uint8_t& byte) {
    return file_.read(std::span(&byte, 1)) == 1;
}

bool FirmwareUpgrade::Tick() {
    if (state_ != State::Transferring) return false;
    // The end of the file is seen at the start of the tick after the one that sent the last
    // byte, so the converter has had a whole tick to judge the image.
    if (file_.position() >= file_.length()) return finish();
    std::uint8_t byte = 0;
    // A file that cannot be read to its end (it shrank, the disk failed) leaves the converter
    // with half an image: that is a failed download, not a pause.
    if (!readByte(byte)) return fail(Msg::DownloadError);
    for (int budget = kSliceBudget;; --budget) {
        const std::uint64_t position = file_.position();
        progressValue_ = progressUnits(position);
        // The verdict can only follow the last byte. Whatever waits before it (a checkpoint's
        // late answer, the rest of an answer to 'V') must not pass for it. The slice is still
        // on its way down the line when the writes return, and the converter may answer
        // anything it has seen until the line has carried it: the line is let drain first.
        if (position >= file_.length()) {
            link_.drainOutput();
            link_.discardInput();
        }
        if (!link_.writeRaw(std::span(&byte, 1))) return fail(Msg::CouldntSend);
        ++imageBytesSent_;
        if (position % kCheckpointEvery == kCheckpointAt && checkpointSaysError())
            return fail(Msg::DownloadError);
        if (budget == 0 || file_.position() >= file_.length()) return true;
        if (!readByte(byte)) return fail(Msg::DownloadError);
    }
}

bool FirmwareUpgrade::checkpointSaysError() {
    std::size_t heard = 0;
    for (int got = link_.readReply(1, kReplyBufferSize); got > 0; got = link_.readOn()) {
        // Anything but an 'E' here is no news.
        if (holds(link_.reply(), 'E')) return true;
        heard += static_cast<std::size_t>(got);
        // A reply short of a full buffer ended in quiet.
        if (static_cast<std::size_t>(got) < kReplyBufferSize || heard >= kCheckpointTalkLimit)
            break;
    }
    return false;
}

bool FirmwareUpgrade::finish() {
    state_ = State::Finishing;
    file_.close();
    progressValue_ = 0;
    if (link_.readReply(1, kReplyBufferSize) <= 0) return fail(Msg::NotAcknowledged);
    const auto reply = link_.reply();
    // The first letter in this order decides: a reply with 'O' and 'E' is a success.
    if (holds(reply, 'O')) {
        succeeded_ = true;
        return end(MessageKind::Plain, catalogue_.text(Msg::FirmwareSuccess));
    }
    if (holds(reply, 'E')) return fail(Msg::DownloadError);
    if (holds(reply, 'C')) return fail(Msg::FirmwareIncompatible);
    return fail(Msg::NotAcknowledged);
}

void FirmwareUpgrade::Abort() {
    if (state_ == State::Idle) return;
    end(MessageKind::Error, {});
}

bool FirmwareUpgrade::end(MessageKind kind, const std::string& text) {
    file_.close();
    link_.ClosePort();
    state_ = State::Idle;
    if (!text.empty()) sink_.show(kind, text);
    return false;
}

// The converter's replies are text; every byte that came is searched, also past a zero.
bool FirmwareUpgrade::holds(std::span<const std::uint8_t> reply, std::uint8_t letter) {
    return std::find(reply.begin(), reply.end(), letter) != reply.end();
}

} // namespace varnadex
