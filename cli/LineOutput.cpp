#include "cli/LineOutput.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnadex {
namespace {

#ifdef _WIN32
long long writeSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}
#else
long long writeSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}

// A regular file that a write left with part of a piece: cut back to where the piece began.
void takeBack(int fd, off_t start) {
    struct stat st {};
    if (start >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (::ftruncate(fd, start) == 0) ::lseek(fd, start, SEEK_SET);
    }
}
#endif

} // namespace

LineOutput::int_type LineOutput::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    return c;
}

std::streamsize LineOutput::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    return n;
}

int LineOutput::sync() {
    if (failed()) {
        pending_.clear();
        return -1;
    }
#ifndef _WIN32
    const off_t start = ::lseek(fd_, 0, SEEK_CUR);
#endif
    std::size_t done = 0;
    while (done < pending_.size()) {
        const long long n = writeSome(fd_, pending_.data() + done, pending_.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
#ifndef _WIN32
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A descriptor someone left non-blocking: wait for room rather than fail.
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 1000);
            continue;
        }
#endif
        failure_ = n < 0 ? std::strerror(errno) : "nothing could be written";
#ifndef _WIN32
        if (done > 0) takeBack(fd_, start);
#endif
        pending_.clear();
        return -1;
    }
    pending_.clear();
    return 0;
}

} // namespace varnadex
