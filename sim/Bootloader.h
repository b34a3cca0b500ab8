#pragma once

#include "sim/BootFaults.h"
#include "sim/SimLog.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace varnadex::sim {

// The converter's firmware loader: what it does with each byte from the program, and with the
// line falling quiet, free of any port or thread so it can be driven byte by byte. It answers
// 'V' with 00 01, starts an image at 'S' and takes every byte after it as image. It judges the
// image after its last byte when it has been told the image's size ("boot-image-size"),
// otherwise once the line has been quiet for 1500 ms: longer than the program pauses between
// its slices and at a checkpoint (a second), shorter than the 2 s after its last slice until
// its final read gives up. Its log lines:
//   boot version | boot start | boot incompatible | boot ignored B | boot checkpoint N
//   boot image N (the bytes received, once judged)
class Bootloader {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Reply {
        std::vector<std::uint8_t> bytes;
        TimePoint at; // not before
    };

    static constexpr std::chrono::milliseconds kImageEndQuiet{1500};

    Bootloader(SimLog& log, BootFaults faults);

    // The restart request (or the start-up with "boot") has started the loader.
    void enter();
    // False while the configuration firmware runs and its frame parser takes the bytes.
    bool active() const;
    // A byte from the program, whole on the line at `at`.
    std::optional<Reply> take(std::uint8_t byte, TimePoint at);
    // Nothing has come until `now`: the verdict, when an image has just ended. `lineFree` is
    // when the line carried its last byte; a pty hands bytes over sooner than a line would.
    std::optional<Reply> idle(TimePoint now, TimePoint lineFree = {});

    // The latest image received, whole or not: bytes after 'S'.
    std::vector<std::uint8_t> image() const;
    // Images judged so far.
    int imagesJudged() const;

private:
    enum class State { Off, Waiting, Receiving, Failed };

    std::optional<Reply> judge(TimePoint at);

    const BootFaults faults_;
    SimLog& log_;
    mutable std::mutex mutex_; // what the tests look at from their own thread
    State state_ = State::Off;
    std::vector<std::uint8_t> image_;
    int judged_ = 0;
    int checkpoints_ = 0;
    TimePoint lastByte_{};
};

} // namespace varnadex::sim
