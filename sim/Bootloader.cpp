#include "sim/Bootloader.h"

#include <algorithm>
#include <string>

namespace varnadex::sim {
namespace {

// The program counts its checkpoints in file positions, and the firmware file's header of 18
// bytes never reaches the converter.
constexpr std::size_t kFileHeader = 18;
constexpr std::size_t kCheckpointEvery = 10000;
constexpr std::size_t kCheckpointAt = 9999;

} // namespace

Bootloader::Bootloader(SimLog& log, BootFaults faults) : faults_(std::move(faults)), log_(log) {}

void Bootloader::enter() {
    std::lock_guard lock(mutex_);
    state_ = State::Waiting;
}

bool Bootloader::active() const {
    std::lock_guard lock(mutex_);
    return state_ != State::Off;
}

std::vector<std::uint8_t> Bootloader::image() const {
    std::lock_guard lock(mutex_);
    return image_;
}

int Bootloader::imagesJudged() const {
    std::lock_guard lock(mutex_);
    return judged_;
}

std::optional<Bootloader::Reply> Bootloader::take(std::uint8_t byte, TimePoint at) {
    std::lock_guard lock(mutex_);
    switch (state_) {
    case State::Off:
        return std::nullopt;
    case State::Waiting:
        break;
    case State::Receiving: {
        image_.push_back(byte);
        lastByte_ = at;
        if ((image_.size() + kFileHeader) % kCheckpointEvery == kCheckpointAt) {
            ++checkpoints_;
            log_.add("boot checkpoint " + std::to_string(checkpoints_));
            const int os = faults_.checkpointFlood > 0 ? faults_.checkpointFlood
                                                       : (faults_.checkpointLateMs > 0 ? 1 : 0);
            const bool error = checkpoints_ == faults_.checkpointError;
            std::vector<std::uint8_t> answer(static_cast<std::size_t>(os + (error ? 1 : 0)), 'O');
            if (error) {
                // The rest of the image is thrown away until the program stops sending.
                state_ = State::Failed;
                answer.back() = 'E';
            }
            if (!answer.empty())
                return Reply{answer, at + std::chrono::milliseconds(faults_.checkpointLateMs)};
        }
        if (faults_.imageSize > 0 && image_.size() == faults_.imageSize) return judge(at);
        return std::nullopt;
    }
    case State::Failed:
        lastByte_ = at;
        return std::nullopt;
    }

    switch (byte) {
    case 'V': {
        log_.add("boot version");
        if (faults_.versionSilent || faults_.versionAnswer.empty()) return std::nullopt;
        std::vector<std::uint8_t> answer = faults_.versionAnswer;
        if (faults_.versionOneByte) answer.resize(1);
        return Reply{answer, at};
    }
    case 'S':
        log_.add("boot start");
        image_.clear();
        checkpoints_ = 0;
        state_ = State::Receiving;
        return std::nullopt;
    case 'I':
        // Told the image would not fit, the loader starts the firmware it has.
        log_.add("boot incompatible");
        state_ = State::Off;
        return std::nullopt;
    default:
        log_.add("boot ignored " + std::to_string(byte));
        return std::nullopt;
    }
}

std::optional<Bootloader::Reply> Bootloader::idle(TimePoint now, TimePoint lineFree) {
    std::lock_guard lock(mutex_);
    if (state_ != State::Receiving && state_ != State::Failed) return std::nullopt;
    lastByte_ = std::max(lastByte_, lineFree);
    if (now - lastByte_ < kImageEndQuiet) return std::nullopt;
    if (state_ == State::Failed) {
        state_ = State::Waiting;
        return std::nullopt;
    }
    if (image_.empty()) return std::nullopt; // 'S' and then a second's wait before the image
    return judge(lastByte_ + kImageEndQuiet);
}

std::optional<Bootloader::Reply> Bootloader::judge(TimePoint at) {
    log_.add("boot image " + std::to_string(image_.size()));
    ++judged_;
    const std::string& verdict = faults_.finalReply;
    // Accepted, the new firmware starts; otherwise the loader waits for another try.
    state_ = verdict.find('O') != std::string::npos ? State::Off : State::Waiting;
    if (verdict.empty()) return std::nullopt;
    return Reply{{verdict.begin(), verdict.end()}, at};
}

} // namespace varnadex::sim
