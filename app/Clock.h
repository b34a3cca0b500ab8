#pragma once

#include <chrono>

namespace varnadex {

using Millis = std::chrono::milliseconds;

// Monotonic time and plain waiting. Real waits on a port or socket are bounded by deadlines
// computed from now(); sleepFor() is only for the fixed pauses the converter needs.
class IClock {
public:
    virtual ~IClock() = default;
    virtual Millis now() const = 0;
    virtual void sleepFor(Millis duration) = 0;
};

} // namespace varnadex
