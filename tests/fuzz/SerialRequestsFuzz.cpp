#include "tests/fuzz/FuzzTargets.h"

#include "sim/Bootloader.h"
#include "sim/SerialRequests.h"

#include <numeric>
#include <span>
#include <vector>

namespace varnadex::test {
namespace {

using namespace varnadex::sim;

std::uint8_t sum(std::span<const std::uint8_t> bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), std::uint8_t{0},
                           [](std::uint8_t a, std::uint8_t b) { return std::uint8_t(a + b); });
}

// What the frame parser may make of the request at the start of `pending`.
bool sound(const SerialRequest& r, std::span<const std::uint8_t> pending) {
    const auto& c = r.command;
    if (c.length < 1 || c.length > pending.size()) return false;
    switch (r.kind) {
    case SerialRequest::Kind::LeadIn:
        return pending[0] == kLeadInByte && c.length == 1;
    case SerialRequest::Kind::Unknown:
        return c.length == 1 && c.value == pending[0];
    case SerialRequest::Kind::Frame:
        if (c.kind == CommandKind::ReadByte || c.kind == CommandKind::WriteByte) {
            const std::size_t full =
                c.kind == CommandKind::ReadByte ? kReadByteFrameSize : kWriteByteFrameSize;
            return c.length == full && c.address == pending[2] &&
                   c.checksumOk == (sum(pending.subspan(1, full - 2)) == pending[full - 1]);
        }
        return c.length == 1 && (c.kind == CommandKind::Version || c.kind == CommandKind::Restart);
    case SerialRequest::Kind::Incomplete:
        break;
    }
    return false;
}

// Bytes arrive in chunks, as the pty hands them over; the parser takes what it can after
// each. Every run of 'X' is logged whole once it ends, unless an 'R' makes it a restart.
bool parseFrames(std::span<const std::uint8_t> bytes, std::size_t chunk) {
    SerialRequestReader reader;
    std::vector<std::uint8_t> pending;
    int run = 0;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const auto piece = bytes.subspan(at, std::min(chunk, bytes.size() - at));
        pending.insert(pending.end(), piece.begin(), piece.end());
        while (!pending.empty()) {
            const auto r = reader.next(pending);
            if (r.kind == SerialRequest::Kind::Incomplete) break;
            if (!sound(r, pending)) return false;
            if (r.kind == SerialRequest::Kind::LeadIn) {
                ++run;
            } else {
                const bool restart =
                    r.kind == SerialRequest::Kind::Frame && r.command.kind == CommandKind::Restart;
                if ((restart && run == 0) || r.endedLeadIn != (restart ? 0 : run)) return false;
                run = 0;
            }
            pending.erase(pending.begin(), pending.begin() + r.command.length);
        }
    }
    // Only a register frame short of bytes may be left waiting.
    if (!pending.empty()) {
        const std::uint8_t first = pending[0];
        const std::size_t full = first == kReadByteCommand    ? kReadByteFrameSize
                                 : first == kWriteByteCommand ? kWriteByteFrameSize
                                                              : 0;
        if (pending.size() >= full) return false;
    }
    return reader.endLeadIn() == run;
}

// The firmware loader, a byte a millisecond; a chunk boundary is a pause long enough to end
// an image.
bool load(std::span<const std::uint8_t> bytes, std::size_t chunk, std::size_t imageSize) {
    SimLog log;
    BootFaults faults;
    faults.imageSize = imageSize;
    Bootloader loader(log, faults);
    loader.enter();
    auto now = Bootloader::TimePoint{} + std::chrono::hours(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        now += std::chrono::milliseconds(1);
        loader.take(bytes[i], now);
        if ((i + 1) % chunk == 0) {
            now += Bootloader::kImageEndQuiet;
            loader.idle(now);
        }
    }
    return loader.image().size() <= bytes.size();
}

} // namespace

bool fuzzSerialRequests(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return true;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const std::size_t chunk = (data[0] >> 1) % 8 + 1;
    if (data[0] & 1) return load(bytes, chunk, data[0] >> 4);
    return parseFrames(bytes, chunk);
}

} // namespace varnadex::test
