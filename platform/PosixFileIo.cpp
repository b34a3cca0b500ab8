#include "platform/FileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnadex {
namespace {

std::string reason(int error) {
    return std::strerror(error);
}

std::string tooLarge(std::size_t limit) {
    return "larger than " + std::to_string(limit / 1024) + " KiB; no configuration file is";
}

// Reads until end of file or one byte past the limit.
FileRead readAll(int fd, std::size_t limit) {
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return {std::nullopt, reason(errno)};
        }
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > limit) return {std::nullopt, tooLarge(limit)};
    }
    return {std::move(content), {}};
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where a write to `path` lands: the end of its chain of symbolic links, also when that end
// does not exist yet (a link made to name a file before its first backup). Nothing, with errno
// set, when the chain cannot be followed.
std::optional<std::string> linkTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
        if (n < 0) return std::nullopt;
        to.resize(static_cast<std::size_t>(n));
        path = to.starts_with('/') ? to : folderOf(path) + "/" + to;
    }
    errno = ELOOP;
    return std::nullopt;
}

} // namespace

FileRead readInputFile(const std::string& path, std::size_t limit) {
    if (path == "-") return readAll(STDIN_FILENO, limit);
    // Non-blocking, so that opening a FIFO with no writer does not wait for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {std::nullopt, reason(errno)};
    struct stat st {};
    FileRead result;
    if (::fstat(fd, &st) != 0)
        result.error = reason(errno);
    else if (!S_ISREG(st.st_mode))
        result.error = "not a regular file";
    else if (static_cast<std::size_t>(st.st_size) > limit)
        result.error = tooLarge(limit);
    else
        result = readAll(fd, limit); // the limit holds even for a file that grows meanwhile
    ::close(fd);
    return result;
}

namespace {

// A FIFO opened for writing once a reader has it open. The wait looks at `stopping` ten times
// a second: a blocking open would sleep through a Ctrl-C that came just before it.
int openFifo(const std::string& path, const std::function<bool()>& stopping) {
    if (!stopping) return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0) {
            // From here on a slow reader holds the writes back, as with any pipe.
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        if (errno != ENXIO && errno != EINTR) return -1;
        if (stopping()) {
            errno = EINTR;
            return -1;
        }
        ::usleep(100'000);
    }
}

} // namespace

std::optional<std::string> writeOutputFile(const std::string& path, std::string_view content,
                                           const std::function<bool()>& stopping) {
    // Through a symbolic link the file it names is written, and the link stays; a link whose
    // file does not exist yet gets it made.
    const auto followed = linkTarget(path);
    if (!followed) return reason(errno);
    std::string target = *followed;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return reason(errno);
    if (exists && !S_ISREG(st.st_mode)) {
        // A terminal, a pipe, a device: the user means its stream, not a file in its place.
        const int fd = S_ISFIFO(st.st_mode)
                           ? openFifo(target, stopping)
                           : ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return reason(errno);
        const bool ok = writeAll(fd, content);
        const int error = errno;
        ::close(fd);
        return ok ? std::nullopt : std::optional(reason(error));
    }
    if (exists) {
        char resolved[PATH_MAX];
        if (!::realpath(target.c_str(), resolved)) return reason(errno);
        target = resolved;
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : 0600;

    const auto slash = target.rfind('/');
    std::string temporary = folderOf(target) + "/." +
                            (slash == std::string::npos ? target : target.substr(slash + 1)) +
                            ".XXXXXX";
    // mkstemp creates the file with O_EXCL: a name planted in advance, or a link, is never
    // followed or reused.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return reason(errno);
    auto fail = [&](int error) -> std::optional<std::string> {
        ::close(fd);
        ::unlink(temporary.c_str());
        return reason(error);
    };
    if (!writeAll(fd, content)) return fail(errno ? errno : EIO);
    if (::fchmod(fd, mode) != 0) return fail(errno);
    if (exists) {
        // Root writing a user's file leaves it the user's; anyone else cannot, and keeps it.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM) return fail(errno);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return reason(error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return reason(error);
    }
    // The rename itself is on disk only once the folder is.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

} // namespace varnadex
