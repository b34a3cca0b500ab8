// varnadex-cli as a real process against the simulated converter, stopped by real signals.

#include "config/ConfigFile.h"
#include "config/RegisterMap.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"
#include "support/ChildProcess.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace varnadex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class Stopped : public ::testing::Test {
protected:

    // Waits, within reason, until the converter has seen `count` frames of `kind`.
    static bool awaitFrames(const sim::SimLog& log, const std::string& kind, std::size_t count) {
        return awaitLines(log, "serial " + kind, count);
    }
    static bool awaitLines(const sim::SimLog& log, const std::string& start, std::size_t count) {
        for (int i = 0; i < 1000; ++i) {
            std::size_t n = 0;
            for (const auto& l : log.lines())
                n += l.rfind(start, 0) == 0;
            if (n >= count) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    static std::size_t writes(const sim::SimLog& log) {
        std::size_t n = 0;
        for (const auto& l : log.lines())
            n += l.rfind("serial write", 0) == 0;
        return n;
    }

    ScratchDir scratch{"varnadex-signals"};
    const fs::path& dir = scratch.path;
    sim::SimLog log;
    sim::RegisterMemory memory;
};

TEST_F(Stopped, AWriteFinishesTheFrameInFlightAndSaysHowFarItGot) {
    sim::SerialFaults slow;
    slow.slowMs = 20;
    sim::SerialConverter converter(memory, log, slow, {});
    ASSERT_TRUE(converter.start());
    ConverterConfig edited;
    edited.applyLateDefaults();
    edited.ipAddress = "10.1.2.3";
    const std::string file = (dir / "conf.json").string();
    std::ofstream(file) << configToJson(edited);

    struct Row {
        int signal;
        int status;
    };
    for (const Row row : {Row{SIGINT, 130}, Row{SIGTERM, 143}, Row{SIGHUP, 129}}) {
        log.clear();
        ChildProcess cli({VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(),
                          "write", file});
        ASSERT_TRUE(awaitFrames(log, "write", 10));
        ::kill(cli.pid, row.signal);
        const std::string said = cli.rest();
        EXPECT_EQ(cli.finish(), row.status) << said;
        // The account matches what reached the converter: every frame sent was answered.
        const std::string expected = "Stopped after " + std::to_string(writes(log)) + " of 58";
        EXPECT_NE(said.find(expected), std::string::npos) << said;
        EXPECT_EQ(said.find("Done"), std::string::npos) << said;
    }
    EXPECT_EQ(memory.read(16), 10); // the first register did take
    converter.stop();
}

TEST_F(Stopped, AnInterruptedReadWritesNoFile) {
    sim::SerialFaults slow;
    slow.slowMs = 20;
    sim::SerialConverter converter(memory, log, slow, {});
    ASSERT_TRUE(converter.start());
    const fs::path output = dir / "backup.json";
    ChildProcess cli({VARNADEX_CLI_PROGRAM, "--port", converter.slavePath(), "read", "--output",
                      output.string()});
    ASSERT_TRUE(awaitFrames(log, "read", 5));
    ::kill(cli.pid, SIGINT);
    cli.rest();
    EXPECT_EQ(cli.finish(), 130);
    EXPECT_TRUE(fs::is_empty(dir)) << "no output file, and no temporary one left behind";
    converter.stop();
}

TEST_F(Stopped, AnInterruptedDownloadSaysTheImageIsIncomplete) {
    sim::BootFaults loader;
    loader.startInLoader = true;
    sim::SerialConverter converter(memory, log, {}, loader);
    ASSERT_TRUE(converter.start());
    const std::string image = (dir / "image.qfw").string();
    std::ofstream(image, std::ios::binary) << std::string(30000, 'f');
    ChildProcess cli({VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(),
                      "firmware", image});
    ASSERT_TRUE(awaitLines(log, "boot start", 1));
    std::this_thread::sleep_for(1500ms); // into the first slices
    ::kill(cli.pid, SIGINT);
    const std::string said = cli.rest();
    EXPECT_EQ(cli.finish(), 130);
    EXPECT_NE(said.find("incomplete firmware image"), std::string::npos) << said;
    EXPECT_EQ(said.find("successfull"), std::string::npos) << said;
    EXPECT_LT(converter.receivedImage().size(), 30000u - 18);
    converter.stop();
}

TEST_F(Stopped, ASecondInterruptEndsAtOnce) {
    // A silent converter keeps the first exchange waiting its whole second.
    sim::SerialFaults silent;
    silent.silent = true;
    sim::SerialConverter converter(memory, log, silent, {});
    ASSERT_TRUE(converter.start());
    ChildProcess cli({VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(),
                      "read"});
    ASSERT_TRUE(awaitFrames(log, "read", 1));
    ::kill(cli.pid, SIGINT);
    std::this_thread::sleep_for(20ms);
    ::kill(cli.pid, SIGINT);
    const std::string said = cli.rest();
    EXPECT_EQ(cli.finish(), 130);
    EXPECT_EQ(said.find("Stopped"), std::string::npos) << said;
    converter.stop();
}

} // namespace
} // namespace varnadex::test
