#pragma once

#include "config/ConfigConnection.h"
#include "config/RegisterLink.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace varnadex::test {

// A converter in memory: registers, a version, and a log of every register operation.
// `failAt` makes the n-th operation (counting from 0) and every later one fail.
class MemoryLink : public IRegisterLink, public IConfigConnection {
public:
    // The log lines are built with append: GCC 12 at -O3 warns falsely (-Wrestrict) about a
    // literal + std::string.
    int GetRegister(std::uint8_t a) override {
        if (!step(std::string("r").append(std::to_string(a)))) return -1;
        return regs[a];
    }
    int SetRegister(std::uint8_t a, std::uint8_t v) override {
        if (!step(std::string("w").append(std::to_string(a)).append("=").append(std::to_string(v))))
            return -1;
        regs[a] = v;
        return v;
    }
    std::string GetFirmwareVersion() override {
        log.push_back("version");
        return version;
    }

    std::optional<OpenFailure> open() override {
        ++opens;
        if (openOk) return std::nullopt;
        return OpenFailure{"Couldn't open communication port!", {}};
    }
    void close() override { ++closes; }
    IRegisterLink& link() override { return *this; }
    std::string communicationError(const MessageCatalogue& catalogue) const override {
        return catalogue.text(Msg::SerialCommError);
    }

    std::array<std::uint8_t, 256> regs{};
    std::vector<std::string> log;
    std::optional<std::size_t> failAt;
    std::optional<std::uint8_t> failAddress; // reads and writes of this register fail
    std::string version = "2.2";
    bool openOk = true;
    int opens = 0;
    int closes = 0;

private:
    bool step(const std::string& what) {
        if (failAt && log.size() >= *failAt) return false;
        if (failAddress) {
            auto digits = what.substr(1, what.find('=') - 1);
            if (std::stoi(digits) == *failAddress) return false;
        }
        log.push_back(what);
        return true;
    }
};

} // namespace varnadex::test
