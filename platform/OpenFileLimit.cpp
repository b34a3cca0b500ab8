#include "platform/OpenFileLimit.h"

#ifndef _WIN32
#include <algorithm>
#include <filesystem>
#include <system_error>

#include <sys/resource.h>
#endif

namespace varnadex {

#ifdef _WIN32

// Winsock sockets and COM handles are not counted against a per-process limit.
unsigned fitJobsToOpenFileLimit(unsigned wanted) {
    return wanted;
}

#else

namespace {

// Descriptors kept back for the program's own files: the list, a configuration file, the
// resolver's socket and what a library opens of its own.
constexpr rlim_t kMargin = 16;

// Descriptors open now; a generous guess where /proc cannot tell.
rlim_t openDescriptors() {
    std::error_code ec;
    rlim_t n = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
         it.increment(ec))
        ++n;
    return ec || n == 0 ? 64 : n;
}

} // namespace

unsigned fitJobsToOpenFileLimit(unsigned wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY) return wanted;
    const rlim_t held = openDescriptors() + kMargin;
    const rlim_t room = limit.rlim_cur > held ? limit.rlim_cur - held : 1;
    return static_cast<unsigned>(std::clamp<rlim_t>(room, 1, wanted));
}

#endif

} // namespace varnadex
