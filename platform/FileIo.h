#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varnadex {

struct FileRead {
    std::optional<std::string> content;
    std::string error; // why not, when content is empty
};

// The whole of a regular file of at most `limit` bytes, or of standard input for "-". A
// device, a directory or a FIFO is refused without waiting on it, as is anything larger.
FileRead readInputFile(const std::string& path, std::size_t limit);

// Writes `content` to `path` so that a reader sees the old file or the new one, never half
// of either: a temporary file of its own beside the target, flushed to disk, then renamed over
// it. A new file is readable by its owner only (it may hold a community string); an existing
// one keeps its mode, and a symbolic link keeps pointing where it did. A target that is not a
// regular file (/dev/stdout, a FIFO) is written in place, never replaced. A FIFO is waited on
// until a reader opens it, or until `stopping` says so. Nothing, or why not.
std::optional<std::string> writeOutputFile(const std::string& path, std::string_view content,
                                           const std::function<bool()>& stopping = {});

} // namespace varnadex
