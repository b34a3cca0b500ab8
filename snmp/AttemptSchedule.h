#pragma once

#include "app/Clock.h"

namespace varnadex {

// The attempts of one SNMP request and how long each waits for its answer. A request that
// goes unanswered is sent again, with a fresh id, up to five times; the windows grow by 200 ms
// from 20 ms, so a converter on the same network answers the first and an unanswered request
// is given up after 2.1 seconds.
struct AttemptSchedule {
    static constexpr int kAttempts = 5;
    static constexpr Millis window(int attempt) { return Millis(20 + 200 * attempt); }
    // The windows together: how long a target that never answers is waited for.
    static constexpr Millis total() {
        Millis sum{0};
        for (int attempt = 0; attempt < kAttempts; ++attempt)
            sum += window(attempt);
        return sum;
    }
};

} // namespace varnadex
