#pragma once

#include <cstddef>
#include <functional>

namespace varnadex {

// Runs jobs 0 to count-1, in that order of starting, on up to `workers` threads: each job
// is one converter with its own operations object, so one converter never waits for
// another's answer. Once `stopping` says so (it is asked under the batch's lock, before each
// start) no further job starts, and the ones running finish: a stopped batch leaves no
// converter half written. `finished` is called after each job that ran, one call at a time,
// in the order the jobs end. A job that throws is the caller's fault: it must report its own
// failures. Returns how many jobs started (jobs 0 to that number minus 1).
std::size_t runBatch(std::size_t count, unsigned workers, const std::function<bool()>& stopping,
                     const std::function<void(std::size_t)>& job,
                     const std::function<void(std::size_t)>& finished);

} // namespace varnadex
