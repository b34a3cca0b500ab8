#pragma once

#include "sim/SerialFaults.h"

#include <string>

namespace varnadex::sim {

// Ways the simulated SNMP agent misbehaves, one small thing each, plus the community it
// answers to. They combine: "snmp-late" with "snmp-wrong-id" sends late answers that carry
// the wrong id.
struct SnmpFaults {
    std::string community = "kelvin"; // "snmp-community=TEXT": requests with another get no answer
    bool silent = false;              // "snmp-silent": answers nothing, changes nothing
    int answerAttempt = 0;            // "snmp-answer-attempt=N": of a run of identical requests
                                      // only the N-th is answered and carried out (0: off)
    int lateMs = 0;                   // "snmp-late[=MS]": every answer leaves MS late (300)
    bool wrongId = false;             // "snmp-wrong-id": answers carry the request-id plus one
    bool errorStatus = false;         // "snmp-error-status": refuses with noSuchName, changes
                                      // nothing, yet echoes the binding a success would carry
    bool shortForm = false;           // "snmp-short-form": standard BER framing in answers
    bool oversized = false;           // "snmp-oversized": answers padded past 100 bytes
    bool oversizedFirst = false;      // "snmp-oversized-first": each answer follows a copy of
                                      // itself padded past 100 bytes
};

// The delay "snmp-late" gives without a value: past the first three attempts' windows.
constexpr int kDefaultLateMs = 300;

// Applies one fault given as NAME or NAME=VALUE. UnknownName leaves the text to another part
// of the simulator; BadValue is a known name with a wrong or missing value.
FaultParse applySnmpFault(const std::string& text, SnmpFaults& faults);

} // namespace varnadex::sim
