#pragma once

#include "app/Clock.h"

#include <optional>

namespace varnadex {

// How long each attempt of an SNMP request waits for its answer, for one target. A request that
// goes unanswered is sent again, with a fresh id, up to five times. A target not heard from yet
// gets the quick windows, 20, 220, 420, 620 and 820 ms: a converter on the same network answers
// the first, and an unanswered request is given up after 2.1 seconds.
//
// Every attempt has an id of its own, so each answer tells the round trip of the attempt it
// answers. Those samples give a smoothed round trip and its variation, as RFC 6298 keeps them,
// and no window is then shorter than the retransmission time-out SRTT + 4 * RTTVAR, up to
// kLongestWindow. On a LAN the time-out stays below 20 ms and nothing changes; behind a cellular
// modem the first answer teaches every later request to wait for its answer rather than send
// the same request again.
class AttemptSchedule {
public:
    static constexpr int kAttempts = 5;
    // A converter behind a geostationary satellite hop answers in well under this; a longer
    // window would only make a silent converter slower to give up on.
    static constexpr Millis kLongestWindow{3000};

    static constexpr Millis quickWindow(int attempt) { return Millis(20 + 200 * attempt); }
    // The quick windows together: how long a target that never answers is waited for.
    static constexpr Millis quickTotal() {
        Millis sum{0};
        for (int attempt = 0; attempt < kAttempts; ++attempt)
            sum += quickWindow(attempt);
        return sum;
    }

    Millis window(int attempt) const;
    // An answer came `roundTrip` after the attempt it answers was sent.
    void heard(Millis roundTrip);
    // Another target: nothing learned so far holds for it.
    void forget() { learned_ = false; }
    // SRTT + 4 * RTTVAR, once a round trip has been heard.
    std::optional<Millis> timeout() const;

private:
    bool learned_ = false;
    double smoothed_ = 0;  // SRTT, ms
    double variation_ = 0; // RTTVAR, ms
};

} // namespace varnadex
