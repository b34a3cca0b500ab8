#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace varnadex::sim {

// The simulator's record of what it received: one machine-readable line per frame or
// request, such as "serial read 44" or "snmp get 44 id=7". Kept in memory for tests and
// written to a stream when the program asks.
class SimLog {
public:
    void setStream(std::FILE* stream) { stream_ = stream; }
    void add(const std::string& line);
    std::vector<std::string> lines() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::FILE* stream_ = nullptr;
};

} // namespace varnadex::sim
