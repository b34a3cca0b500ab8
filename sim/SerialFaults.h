#pragma once

#include <string>

namespace varnadex::sim {

// Ways the simulated converter misbehaves on its serial side, one small thing each. They
// combine: "split=20" with "extra" sends a split reply with bytes after its data.
struct SerialFaults {
    bool silent = false; // "silent": answers nothing
    int silentFrom = 0;  // "silent-from=N": answers frames 1 to N-1, then nothing (0: off)
    bool notO = false;   // "not-o": replies start with 'N' instead of 'O'; writes not kept
    int splitMs = 0;     // "split=MS": a gap of MS after each reply's first byte
    bool extra = false;  // "extra": three more bytes after each reply's data
    bool stale = false;  // "stale": bytes wait on the line before the port is first opened
    int slowMs = 0;      // "slow=MS": every reply starts MS late
};

enum class FaultParse { Applied, UnknownName, BadValue };

// Applies one fault given as NAME or NAME=N ("silent", "split=20"). UnknownName leaves the
// text to another part of the simulator; BadValue is a known name with a wrong or missing N.
FaultParse applySerialFault(const std::string& text, SerialFaults& faults);

} // namespace varnadex::sim
