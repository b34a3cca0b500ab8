#include "config/ConfigFile.h"
#include "platform/FileIo.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include <sys/stat.h>

namespace varnadex {
namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
protected:

    std::string put(const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
        return (dir / name).string();
    }
    static std::string contentOf(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static unsigned modeOf(const fs::path& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_mode & 07777;
    }

    test::ScratchDir scratch{"varnadex-files"};
    const fs::path& dir = scratch.path;
};

TEST_F(Files, OnlyASmallRegularFileIsRead) {
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO nobody writes to must not keep the reader waiting, nor a device feed it for ever.
    for (const std::string& path : {fifo, std::string("/dev/zero"), dir.string()}) {
        const FileRead r = readInputFile(path, kConfigFileLimit);
        EXPECT_FALSE(r.content) << path;
        EXPECT_FALSE(r.error.empty()) << path;
    }
    EXPECT_FALSE(readInputFile(put("big", std::string(kConfigFileLimit + 1, ' ')),
                               kConfigFileLimit)
                     .content);
    EXPECT_EQ(readInputFile(put("ok", "{}"), kConfigFileLimit).content, "{}");
    EXPECT_NE(readInputFile((dir / "missing").string(), kConfigFileLimit).error, "");
}

TEST_F(Files, ANewFileIsPrivateAndAnOldOneKeepsItsMode) {
    const fs::path fresh = dir / "new.json";
    ASSERT_FALSE(writeOutputFile(fresh.string(), "one"));
    EXPECT_EQ(contentOf(fresh), "one");
    EXPECT_EQ(modeOf(fresh), 0600u); // it may hold the SNMP community

    const std::string old = put("old.json", "before");
    ::chmod(old.c_str(), 0640);
    ASSERT_FALSE(writeOutputFile(old, "after"));
    EXPECT_EQ(contentOf(old), "after");
    EXPECT_EQ(modeOf(old), 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2) << "no temporary file left";
}

TEST_F(Files, PlantedNamesAndLinksAreNeitherFollowedNorLost) {
    const std::string victim = put("victim", "precious");
    const std::string target = (dir / "conf.json").string();
    fs::create_symlink(victim, target + ".tmp"); // the fixed name an attacker would plant
    ASSERT_FALSE(writeOutputFile(target, "config"));
    EXPECT_EQ(contentOf(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(target + ".tmp"));
    EXPECT_EQ(contentOf(target), "config");

    // A link at the target stays a link; the file it names gets the new content.
    const std::string real = put("real.json", "old");
    const fs::path link = dir / "link.json";
    fs::create_symlink(real, link);
    ASSERT_FALSE(writeOutputFile(link.string(), "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contentOf(real), "new");
}

TEST_F(Files, WhatIsNotARegularFileIsWrittenInPlace) {
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return contentOf(fifo); });
    ASSERT_FALSE(writeOutputFile(fifo.string(), "streamed"));
    EXPECT_EQ(reader.get(), "streamed");
    EXPECT_TRUE(fs::is_fifo(fifo));
}

} // namespace
} // namespace varnadex
