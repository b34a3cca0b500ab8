#include "sim/SimLog.h"

#include <cstdio>

namespace varnadex::sim {

void SimLog::add(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (lines_.size() == kept_) lines_.pop_front();
    lines_.push_back(line);
    if (stream_) {
        std::fprintf(stream_, "%s\n", line.c_str());
        std::fflush(stream_);
    }
}

std::vector<std::string> SimLog::lines() const {
    std::lock_guard lock(mutex_);
    return {lines_.begin(), lines_.end()};
}

void SimLog::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

} // namespace varnadex::sim
