// The safe output and the bounded input, on whichever system the build is for: the same
// promises hold for the POSIX and the Win32 layer.

#include "platform/FileIo.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace varnadex;

namespace {

#ifdef _WIN32
const char* const kNullDevice = "NUL";
#else
const char* const kNullDevice = "/dev/null";
#endif

class FileIoTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string contents(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    test::ScratchDir scratch_{"varnadex-fileio"};
    const fs::path& dir_ = scratch_.path;
};

TEST_F(FileIoTest, NewAndReplacedFilesHoldExactlyTheContentAndNoTemporaryIsLeft) {
    const std::string target = path("conf.json");
    ASSERT_EQ(writeOutputFile(target, "first\n"), std::nullopt);
    EXPECT_EQ(contents(target), "first\n");
    // Shorter than before: a write in place would leave the old tail.
    ASSERT_EQ(writeOutputFile(target, "2\n"), std::nullopt);
    EXPECT_EQ(contents(target), "2\n");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileIoTest, ADeviceIsWrittenInPlaceAndAFolderIsRefused) {
    EXPECT_EQ(writeOutputFile(kNullDevice, "to the device\n"), std::nullopt);
    EXPECT_NE(writeOutputFile(dir_.string(), "x"), std::nullopt);
    EXPECT_NE(writeOutputFile(path("missing/conf.json"), "x"), std::nullopt);
    EXPECT_EQ(entries(), 0u);
}

TEST_F(FileIoTest, InputIsARegularFileWithinTheLimit) {
    const std::string small = path("small.json");
    ASSERT_EQ(writeOutputFile(small, "{}"), std::nullopt);
    const FileRead ok = readInputFile(small, 2);
    ASSERT_TRUE(ok.content.has_value()) << ok.error;
    EXPECT_EQ(*ok.content, "{}");

    struct Case {
        std::string path;
        std::size_t limit;
    };
    for (const Case& c : {Case{small, 1}, Case{dir_.string(), 100}, Case{kNullDevice, 100},
                          Case{path("absent.json"), 100}}) {
        const FileRead refused = readInputFile(c.path, c.limit);
        EXPECT_FALSE(refused.content.has_value()) << c.path;
        EXPECT_FALSE(refused.error.empty()) << c.path;
    }
}

} // namespace
