#include "cli/StopReport.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace varnadex {
namespace {

static_assert(std::atomic<const std::string*>::is_always_lock_free);

void put(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
#ifdef _WIN32
        const int n = ::_write(fd, p, static_cast<unsigned>(left));
#else
        const auto n = ::write(fd, p, left);
#endif
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

void StopReport::setTexts(std::string note, std::string forcedHeader, std::string forcedClean) {
    if (textsSet_.load()) return;
    note_ = "varnadex-cli: " + note + "\n";
    forcedHeader_ = "varnadex-cli: " + forcedHeader + "\n";
    forcedClean_ = "varnadex-cli: " + forcedClean + "\n";
    textsSet_.store(true);
}

int StopReport::beginWriting(const std::string& line) {
    for (std::size_t i = 0; i < kSlots; ++i) {
        const std::string* free = nullptr;
        if (writing_[i].compare_exchange_strong(free, &line)) return static_cast<int>(i);
    }
    return -1;
}

void StopReport::endWriting(int slot) {
    if (slot >= 0 && static_cast<std::size_t>(slot) < kSlots) writing_[slot].store(nullptr);
}

void StopReport::writeNote(int fd) const {
    if (textsSet_.load()) put(fd, note_);
}

void StopReport::writeForced(int fd) const {
    if (!textsSet_.load()) return;
    bool any = false;
    for (const auto& slot : writing_) {
        const std::string* line = slot.load();
        if (!line) continue;
        if (!any) put(fd, forcedHeader_);
        any = true;
        put(fd, *line);
    }
    if (!any) put(fd, forcedClean_);
}

} // namespace varnadex
