#pragma once

#include "app/Clock.h"

namespace varnadex {

// Monotonic time: it never jumps with the wall clock, so deadlines stay true.
class SystemClock : public IClock {
public:
    Millis now() const override;
    void sleepFor(Millis duration) override;
};

} // namespace varnadex
