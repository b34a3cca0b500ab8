#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnadex::sim {

enum class FaultParse; // sim/SerialFaults.h

// How the simulated converter's restart frame and firmware loader misbehave, one small thing
// each. Without any, the loader answers 'V' with 00 01, keeps quiet at the checkpoints and
// ends a whole image with 'O'.
struct BootFaults {
    bool startInLoader = false;    // "boot": the converter is already in its loader
    bool versionOneByte = false;   // "boot-v-one-byte": only the answer's first byte
    bool versionSilent = false;    // "boot-v-silent": 'V' goes unanswered in the loader too
    int checkpointError = 0;       // "boot-checkpoint-e=N": 'E' at the N-th checkpoint (0: off)
    int checkpointLateMs = 0;      // "boot-checkpoint-late=MS": every checkpoint answered 'O',
                                   // MS after its byte (and so any 'E' with it)
    int checkpointFlood = 0;       // "boot-checkpoint-flood=N": every checkpoint answered with
                                   // N 'O's, before any 'E'
    std::string finalReply = "O";  // "boot-final=TEXT": the verdict on a whole image;
                                   // "boot-final=none": no verdict at all
    std::string resetReply = "OK"; // "reset-reply=TEXT": the answer to the RESET restart frame
    std::size_t imageSize = 0;     // "boot-image-size=N": judge the image after N bytes rather
                                   // than after a pause (0: after a pause)
    // "boot-v=HEX": another answer to 'V', one byte or more ("boot-v=0100")
    std::vector<std::uint8_t> versionAnswer = {0x00, 0x01};
};

// Applies one fault given as NAME or NAME=VALUE ("boot-v=0100", "boot-final=CE").
FaultParse applyBootFault(const std::string& text, BootFaults& faults);

} // namespace varnadex::sim
