#pragma once

#include <streambuf>
#include <string>

namespace varnadex {

// Standard output as the CLI writes it. What is written between two flushes goes to the
// descriptor in one piece when the stream is flushed: a JSON line reaches a pipe whole, and
// one that a full disk cuts short is taken back out of a regular file, so a reader never sees
// half a line. The first failure (a reader gone, a full disk, a closed descriptor) is kept
// with the system's reason, and everything after it is dropped: the stream then reports
// failure, and the program stops as it would for Ctrl-C.
class LineOutput : public std::streambuf {
public:
    explicit LineOutput(int fd) : fd_(fd) {}
    ~LineOutput() override { sync(); }
    LineOutput(const LineOutput&) = delete;
    LineOutput& operator=(const LineOutput&) = delete;

    bool failed() const { return !failure_.empty(); }
    // Fails from the start: standard output was closed when the program began.
    void failWith(std::string reason) { failure_ = std::move(reason); }
    // The system's reason for the first failure; empty while there was none.
    const std::string& failure() const { return failure_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    int fd_;
    std::string pending_;
    std::string failure_;
};

} // namespace varnadex
