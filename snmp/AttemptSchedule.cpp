#include "snmp/AttemptSchedule.h"

#include <algorithm>
#include <cmath>

namespace varnadex {

Millis AttemptSchedule::window(int attempt) const {
    const Millis quick = quickWindow(attempt);
    const auto learned = timeout();
    if (!learned) return quick;
    return std::max(quick, std::min(*learned, kLongestWindow));
}

void AttemptSchedule::heard(Millis roundTrip) {
    const double r = static_cast<double>(std::max(roundTrip, Millis(0)).count());
    if (!learned_) {
        smoothed_ = r;
        variation_ = r / 2;
        learned_ = true;
        return;
    }
    // RFC 6298, section 2.3: alpha = 1/8, beta = 1/4, the variation updated first.
    variation_ = 0.75 * variation_ + 0.25 * std::abs(smoothed_ - r);
    smoothed_ = 0.875 * smoothed_ + 0.125 * r;
}

std::optional<Millis> AttemptSchedule::timeout() const {
    if (!learned_) return std::nullopt;
    // The clock's granularity, 1 ms, is the least the variation term adds.
    return Millis(static_cast<long long>(std::ceil(smoothed_ + std::max(1.0, 4 * variation_))));
}

} // namespace varnadex
