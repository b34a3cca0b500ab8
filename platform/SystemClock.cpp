#include "platform/SystemClock.h"

#include <thread>

namespace varnadex {

Millis SystemClock::now() const {
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::sleepFor(Millis duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace varnadex
