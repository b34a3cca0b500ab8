#include "operations/Batch.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace varnadex {

std::size_t runBatch(std::size_t count, unsigned workers, const std::function<bool()>& stopping,
                     const std::function<void(std::size_t)>& job,
                     const std::function<void(std::size_t)>& finished) {
    std::mutex mutex;
    std::size_t next = 0;
    // Taken under the lock, so that no job starts after a stop has been seen.
    auto take = [&]() -> std::optional<std::size_t> {
        std::lock_guard lock(mutex);
        if (next >= count || (stopping && stopping())) return std::nullopt;
        return next++;
    };
    auto work = [&] {
        while (auto index = take()) {
            job(*index);
            std::lock_guard lock(mutex);
            finished(*index);
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::max(workers, 1u), count);
    std::vector<std::jthread> pool;
    for (std::size_t i = 1; i < threads; ++i)
        pool.emplace_back(work);
    if (threads > 0) work();
    pool.clear(); // joins
    return next;
}

} // namespace varnadex
