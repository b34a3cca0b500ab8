#pragma once

#include "serial/SerialFrames.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnadex::sim {

// What the configuration firmware makes of the bytes from the program, one request at a time,
// free of the line and the clock so that any byte stream can be driven through it.
struct SerialRequest {
    enum class Kind {
        Incomplete, // a register frame still short of bytes; nothing is taken
        LeadIn,     // one more 'X' of a run
        Frame,      // a frame to answer: read, write, version, or 'R' after a run of 'X'
        Unknown,    // a byte that starts no frame ('R' without its run of 'X' among them)
    };
    Kind kind = Kind::Incomplete;
    DecodedCommand command; // its length is what the request takes from the stream
    int endedLeadIn = 0;    // the run of 'X' this request ends, to be logged before it
};

class SerialRequestReader {
public:
    // The request at the start of `bytes`, which must not be empty.
    SerialRequest next(std::span<const std::uint8_t> bytes);
    // The line has fallen quiet after a run of 'X': the run's length, 0 when there is none.
    int endLeadIn();

private:
    int leadInRun_ = 0;
};

} // namespace varnadex::sim
