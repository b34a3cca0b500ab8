#include "sim/SerialConverter.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace varnadex::sim {
namespace {

using namespace std::chrono_literals;

// Ten bits a character (start, eight data, stop) at 9600 b/s.
constexpr std::chrono::nanoseconds kCharTime{1'041'667};
// A frame that stops arriving for this long is given up, and a run of 'X' counted as ended.
constexpr auto kFrameGap = 50ms;
// Every wait is cut into pieces this long, so that stop() is never kept waiting.
constexpr auto kWaitPiece = 10ms;

constexpr std::uint8_t kReplySecond = 'K';
constexpr std::uint8_t kNotAccepted = 'N';
const std::vector<std::uint8_t> kRefusal = {'E', 'R'};
// Looks like the start of a reply, so that a tail taken for the next reply shows at once.
const std::vector<std::uint8_t> kExtraTail = {'O', 'K', 0xEE};
const std::vector<std::uint8_t> kStaleBytes = {'O', 'K', 0x99, 'O'};

std::string decimal(std::uint8_t b) {
    return std::to_string(b);
}

} // namespace

SerialConverter::SerialConverter(RegisterMemory& memory, SimLog& log, SerialFaults faults,
                                 BootFaults bootFaults)
    : memory_(memory), log_(log), faults_(faults), bootFaults_(bootFaults),
      loader_(log, bootFaults) {
    if (bootFaults_.startInLoader) loader_.enter();
}

SerialConverter::~SerialConverter() {
    stop();
}

void SerialConverter::setVersion(std::uint8_t major, std::uint8_t minor) {
    versionMajor_ = major;
    versionMinor_ = minor;
}

bool SerialConverter::start() {
    if (running()) return true;
    if (!line_.open()) return false;
    if (faults_.stale) line_.write(kStaleBytes, 100ms);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void SerialConverter::stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        thread_.join();
    }
    if (!linkPath_.empty()) {
        std::error_code ec;
        if (std::filesystem::read_symlink(linkPath_, ec) == line_.devicePath())
            std::filesystem::remove(linkPath_, ec);
        linkPath_.clear();
    }
    line_.close();
}

bool SerialConverter::keepLink(const std::string& path) {
    namespace fs = std::filesystem;
    if (!line_.isOpen() || path.empty()) return false;
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (fs::exists(status)) {
        if (!fs::is_symlink(status) || !fs::remove(path, ec)) return false;
    }
    fs::create_symlink(line_.devicePath(), path, ec);
    if (ec) return false;
    linkPath_ = path;
    return true;
}

void SerialConverter::run() {
    std::uint8_t buffer[256];
    while (!stopping_) {
        const int n = line_.read(buffer, kWaitPiece);
        const auto now = SteadyClock::now();
        if (n < 0) {
            // The line failed; keep the thread stoppable without spinning.
            std::this_thread::sleep_for(kWaitPiece);
            continue;
        }
        for (int i = 0; i < n; ++i)
            take(buffer[i], now);
        process(now);
    }
}

void SerialConverter::take(std::uint8_t byte, TimePoint now) {
    // The line's pace is kept also when requests are not held to it: the loader measures its
    // quiet from it.
    lineFreeAt_ = std::max(now, lineFreeAt_) + kCharTime;
    const TimePoint whole = requestPacing_ ? lineFreeAt_ : now;
    pending_.push_back(byte);
    arrivals_.push_back(whole);
    lastArrival_ = whole;
}

void SerialConverter::consume(std::size_t count) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<std::ptrdiff_t>(count));
}

void SerialConverter::logLeadIn(int run) {
    if (run == 0) return;
    log_.add(run == 6 ? "serial leadin" : "serial leadin " + std::to_string(run));
}

void SerialConverter::feedLoader(TimePoint now) {
    std::size_t used = 0;
    while (used < pending_.size() && loader_.active() && !stopping_) {
        if (auto reply = loader_.take(pending_[used], arrivals_[used]))
            answer(reply->bytes, reply->at);
        ++used;
    }
    consume(used);
    if (auto verdict = loader_.idle(now, lineFreeAt_)) answer(verdict->bytes, verdict->at);
}

// The configuration firmware's frame parser; the loader takes the bytes instead while it runs.
void SerialConverter::process(TimePoint now) {
    if (loader_.active()) feedLoader(now);
    while (!pending_.empty() && !stopping_) {
        const auto request = requests_.next(pending_);
        if (request.kind == SerialRequest::Kind::Incomplete) {
            if (now - arrivals_.back() < kFrameGap) return;
            std::string line = "serial incomplete";
            for (auto b : pending_) {
                line += ' ';
                line += decimal(b);
            }
            log_.add(line);
            consume(pending_.size());
            return;
        }
        const TimePoint arrived = arrivals_[request.command.length - 1];
        consume(request.command.length);
        logLeadIn(request.endedLeadIn);
        if (request.kind == SerialRequest::Kind::Unknown)
            log_.add("serial unknown " + decimal(request.command.value));
        else if (request.kind == SerialRequest::Kind::Frame)
            handle(request.command, arrived);
    }
    // Nothing has followed the 'X's for a while: the run is complete.
    if (now - lastArrival_ >= kFrameGap) logLeadIn(requests_.endLeadIn());
}

bool SerialConverter::silentNow() const {
    return faults_.silent || (faults_.silentFrom > 0 && frames_ >= faults_.silentFrom);
}

void SerialConverter::handle(const DecodedCommand& c, TimePoint arrived) {
    ++frames_;
    const bool answers = !silentNow();
    const bool accepts = answers && !faults_.notO;
    std::vector<std::uint8_t> reply = {kReplyAccepted, kReplySecond};
    switch (c.kind) {
    case CommandKind::ReadByte:
        if (!c.checksumOk) {
            log_.add("serial bad-checksum read " + decimal(c.address) + " " + decimal(c.checksum));
            reply = kRefusal;
            break;
        }
        log_.add("serial read " + decimal(c.address));
        reply.push_back(memory_.read(c.address));
        break;
    case CommandKind::WriteByte:
        if (!c.checksumOk) {
            log_.add("serial bad-checksum write " + decimal(c.address) + " " + decimal(c.value) +
                     " " + decimal(c.checksum));
            reply = kRefusal;
            break;
        }
        log_.add("serial write " + decimal(c.address) + " " + decimal(c.value));
        if (accepts) {
            memory_.write(c.address, c.value);
            restartRequested_ = c.address == 255 && c.value == 255;
        }
        break;
    case CommandKind::Version:
        log_.add("serial version");
        reply.push_back(versionMajor_);
        reply.push_back(versionMinor_);
        break;
    case CommandKind::Restart:
        // After 255 in register 255 the restart starts the firmware loader; the restart frame
        // of the RESET button restarts the converter as it is.
        log_.add(restartRequested_ ? "serial restart-request" : "serial restart");
        if (restartRequested_)
            loader_.enter(); // the bytes after this reply are the loader's
        else
            reply.assign(bootFaults_.resetReply.begin(), bootFaults_.resetReply.end());
        restartRequested_ = false;
        break;
    default:
        return;
    }
    if (!answers) return;
    if (faults_.notO && !reply.empty()) reply[0] = kNotAccepted;
    if (faults_.extra) reply.insert(reply.end(), kExtraTail.begin(), kExtraTail.end());
    answer(std::move(reply), arrived);
}

bool SerialConverter::waitUntil(TimePoint when) {
    while (!stopping_) {
        const auto now = SteadyClock::now();
        if (now >= when) return true;
        std::this_thread::sleep_for(std::min<SteadyClock::duration>(when - now, kWaitPiece));
    }
    return false;
}

void SerialConverter::answer(std::vector<std::uint8_t> reply, TimePoint from) {
    // A reply goes out in one piece when its last byte would have arrived at 9600 b/s.
    // Firmware sends its bytes back to back; a thread sending them one by one would, when put
    // aside on a busy machine, open gaps that no converter makes. Only "split" breaks a reply.
    TimePoint at = std::max(from, outputFreeAt_) + std::chrono::milliseconds(faults_.slowMs);
    const std::span<const std::uint8_t> bytes(reply);
    std::size_t sent = 0;
    auto burst = [&](std::size_t end) {
        at += kCharTime * static_cast<int>(end - sent);
        if (!waitUntil(at) || !line_.write(bytes.subspan(sent, end - sent), kWaitPiece * 10))
            return false;
        sent = end;
        return true;
    };
    if (faults_.splitMs > 0 && bytes.size() > 1) {
        if (!burst(1)) return;
        at += std::chrono::milliseconds(faults_.splitMs);
    }
    if (!burst(bytes.size())) return;
    outputFreeAt_ = at;
}

} // namespace varnadex::sim
