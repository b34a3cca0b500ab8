#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace varnadex::test {

// A fresh folder named after the running test, removed again when the test ends.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix)
        : path(std::filesystem::temp_directory_path() /
               (prefix + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path / name; }

    const std::filesystem::path path;
};

} // namespace varnadex::test
