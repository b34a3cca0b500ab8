#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string>

namespace varnadex {

// What the program says when a signal stops it, and which converters are being written at
// that moment. A signal handler reads it, so it holds only lock-free atomics and strings that
// do not move while they are published.
class StopReport {
public:
    static constexpr std::size_t kSlots = 1024;

    // The texts in the run's language: the acknowledgement of a first stop, and the account
    // of an exit forced by a later one. Set once, before the work starts.
    void setTexts(std::string note, std::string forcedHeader, std::string forcedClean);

    // `line` ("  127.1.0.5:16161\n") is being written from now until endWriting; the caller
    // keeps it alive and unchanged meanwhile. Returns the slot, -1 when all are taken.
    int beginWriting(const std::string& line);
    void endWriting(int slot);

    // For the signal handler: only write(2) on `fd`.
    void writeNote(int fd) const;
    // The forced exit's account: the header and every converter being written.
    void writeForced(int fd) const;

private:
    std::string note_, forcedHeader_, forcedClean_;
    std::atomic<bool> textsSet_{false};
    std::array<std::atomic<const std::string*>, kSlots> writing_{};
};

} // namespace varnadex
