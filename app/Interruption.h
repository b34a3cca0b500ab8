#pragma once

#include <atomic>
#include <functional>

namespace varnadex {

// A request to stop, made from elsewhere: a signal handler, the window's Cancel button, a
// batch that is being stopped. Operations look at it between register exchanges, so the
// exchange in flight always finishes and the converter is never left with half a frame.
class Interruption {
public:
    // Safe to call from a signal handler: a lock-free atomic store and nothing else.
    void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }
    void clear() noexcept { requested_.store(false, std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> requested_{false};
};

// How a caller follows and stops a whole-configuration transfer. Both are optional.
struct OperationControl {
    const Interruption* stop = nullptr;
    // Register exchanges done and planned. The plan of a read grows or shrinks once the
    // community's length is known.
    std::function<void(int done, int total)> progress;
    // A write has stored the whole of this field in the converter.
    std::function<void(const char* field)> fieldWritten;

    bool stopRequested() const { return stop && stop->requested(); }
};

} // namespace varnadex
