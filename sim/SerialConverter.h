#pragma once

#include "serial/SerialFrames.h"
#include "sim/Bootloader.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialFaults.h"
#include "sim/SerialLine.h"
#include "sim/SerialRequests.h"
#include "sim/SimLog.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace varnadex::sim {

// The converter's serial side on a pseudo-terminal: answers the read-byte, write-byte and
// version frames and the restart frame, ignores the lead-in, and sends its replies at the
// pace of a 9600 b/s line. Every frame it receives goes to the log as one line:
//   serial read A | serial write A V | serial version | serial leadin [N] | serial restart
//   serial restart-request | serial bad-checksum read A C | serial bad-checksum write A V C
//   serial unknown B | serial incomplete B...
// (numbers in decimal; "leadin" carries its count when the run of 'X' was not six long).
// The restart request (255 written to register 255, then "XXXR") starts the firmware loader,
// which takes the bytes from then on and logs its own lines (sim/Bootloader.h).
class SerialConverter {
public:
    using SteadyClock = std::chrono::steady_clock;

    SerialConverter(RegisterMemory& memory, SimLog& log, SerialFaults faults = {},
                    BootFaults bootFaults = {});
    SerialConverter(const SerialConverter&) = delete;
    SerialConverter& operator=(const SerialConverter&) = delete;
    ~SerialConverter();

    // These three before start().
    void setVersion(std::uint8_t major, std::uint8_t minor);
    // Holds each frame until its bytes would have crossed a 9600 b/s line, as a converter
    // can answer no sooner (the default). Off, frames are answered as soon as the pty hands
    // them over, sooner than any line could carry them; only the replies are paced.
    void setRequestPacing(bool on) { requestPacing_ = on; }

    // Opens the pty and starts answering. False when no pty can be had.
    bool start();
    // Stops within a few milliseconds, also in the middle of a reply, and closes the pty.
    void stop();
    bool running() const { return thread_.joinable(); }
    const std::string& slavePath() const { return line_.devicePath(); }

    // Keeps `path` as a symbolic link to the pty while running. False when `path` is held by
    // something other than a symbolic link, or cannot be made.
    bool keepLink(const std::string& path);

    // The firmware loader runs instead of the configuration firmware.
    bool inLoader() const { return loader_.active(); }
    // What the loader received after its latest 'S', and how many images it has judged.
    std::vector<std::uint8_t> receivedImage() const { return loader_.image(); }
    int imagesJudged() const { return loader_.imagesJudged(); }

private:
    using TimePoint = SteadyClock::time_point;

    void run();
    void take(std::uint8_t byte, TimePoint now);
    void process(TimePoint now);
    void logLeadIn(int run);
    void handle(const DecodedCommand& command, TimePoint arrived);
    void answer(std::vector<std::uint8_t> reply, TimePoint from);
    bool silentNow() const;
    bool waitUntil(TimePoint when);
    void consume(std::size_t count);
    void feedLoader(TimePoint now);

    RegisterMemory& memory_;
    SimLog& log_;
    const SerialFaults faults_;
    const BootFaults bootFaults_;
    SerialLine line_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::string linkPath_;
    bool requestPacing_ = true;
    Bootloader loader_;
    std::uint8_t versionMajor_ = 2;
    std::uint8_t versionMinor_ = 5;

    // Run state, the thread's own.
    std::vector<std::uint8_t> pending_;
    std::vector<TimePoint> arrivals_; // when each pending byte was whole on the line
    TimePoint lineFreeAt_{};          // when the program's bytes have crossed a 9600 b/s line
    TimePoint lastArrival_{};
    TimePoint outputFreeAt_{}; // the end of the latest reply on the converter's side
    SerialRequestReader requests_;
    int frames_ = 0;
    bool restartRequested_ = false; // 255 was written to register 255
};

} // namespace varnadex::sim
