#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>

namespace varnadex {

// A firmware file as the download reads it: opened read-only, read front to back, its length
// known from the start. Tests hand in a file of their own to fail where they choose.
class IFirmwareFile {
public:
    virtual ~IFirmwareFile() = default;

    // False, with nothing left open, when the path is not a regular file that can be read.
    virtual bool open(const std::string& path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // The whole file's length, header included, as it was when opened.
    virtual std::uint64_t length() const = 0;
    // Bytes read so far: the offset of the next byte.
    virtual std::uint64_t position() const = 0;
    // Up to buffer.size() bytes from the position on: the count read, 0 at the end of the
    // file, -1 when the file cannot be read (or is not open).
    virtual int read(std::span<std::uint8_t> buffer) = 0;
};

// The file on disk, through the standard library, so it builds on any system.
class FirmwareFile : public IFirmwareFile {
public:
    bool open(const std::string& path) override;
    void close() override;
    bool isOpen() const override { return stream_.is_open(); }
    std::uint64_t length() const override { return length_; }
    std::uint64_t position() const override { return position_; }
    int read(std::span<std::uint8_t> buffer) override;

private:
    std::ifstream stream_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
};

} // namespace varnadex
