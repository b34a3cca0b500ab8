#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace varnadex::sim {

// The simulator's record of what it received: one machine-readable line per frame or
// request, such as "serial read 44" or "snmp get 44 id=7". The latest lines are kept in
// memory for tests; every line goes to the stream when the program asks for one.
class SimLog {
public:
    // A quarter of a million lines, some 25 MB: far more than any test or benchmark looks
    // back on, while a simulator left running for days under load stays bounded.
    static constexpr std::size_t kDefaultKept = 250'000;

    SimLog() = default;
    explicit SimLog(std::size_t kept) : kept_(kept == 0 ? 1 : kept) {}

    void setStream(std::FILE* stream) { stream_ = stream; }
    void add(const std::string& line);
    // The latest lines kept, oldest first.
    std::vector<std::string> lines() const;
    void clear();

private:
    mutable std::mutex mutex_;
    const std::size_t kept_ = kDefaultKept;
    std::deque<std::string> lines_;
    std::FILE* stream_ = nullptr;
};

} // namespace varnadex::sim
