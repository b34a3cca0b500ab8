#include "maintenance/FirmwareFile.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

namespace varnadex {

bool FirmwareFile::open(const std::string& path) {
    close();
    // A directory or a device opens like a file on some systems and then reads nothing, or
    // never ends.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return false;
    stream_.open(path, std::ios::binary);
    if (!stream_.is_open()) return false;
    length_ = size;
    position_ = 0;
    return true;
}

void FirmwareFile::close() {
    if (stream_.is_open()) stream_.close();
    stream_.clear();
    length_ = 0;
    position_ = 0;
}

int FirmwareFile::read(std::span<std::uint8_t> buffer) {
    if (!stream_.is_open()) return -1;
    // Only the bytes the file held when it was opened: the image sent is the one whose
    // length set the progress range, even when the file grows meanwhile.
    const std::uint64_t left = length_ - position_;
    const auto want = static_cast<std::streamsize>(
        std::min<std::uint64_t>({static_cast<std::uint64_t>(buffer.size()), left,
                                 static_cast<std::uint64_t>(std::numeric_limits<int>::max())}));
    if (want == 0) return 0;
    stream_.read(reinterpret_cast<char*>(buffer.data()), want);
    const auto got = stream_.gcount();
    // A file that has shrunk under us ends early; the next read finds nothing and fails.
    stream_.clear();
    if (got <= 0) return -1;
    position_ += static_cast<std::uint64_t>(got);
    return static_cast<int>(got);
}

} // namespace varnadex
