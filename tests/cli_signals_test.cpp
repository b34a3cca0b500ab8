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

    // Each reply 20 ms late, so that a stop finds the transfer under way.
    static sim::SerialFaults slowFrames() {
        sim::SerialFaults slow;
        slow.slowMs = 20;
        return slow;
    }
    // A configuration file that differs from the converter's in its IP address.
    std::string editedFile() const {
        ConverterConfig edited;
        edited.applyLateDefaults();
        edited.ipAddress = "10.1.2.3";
        const std::string file = (dir / "conf.json").string();
        std::ofstream(file) << configToJson(edited);
        return file;
    }

    ScratchDir scratch{"varnadex-signals"};
    const fs::path& dir = scratch.path;
    sim::SimLog log;
    sim::RegisterMemory memory;
};

TEST_F(Stopped, AWriteFinishesTheFrameInFlightAndSaysHowFarItGot) {
    sim::SerialConverter converter(memory, log, slowFrames(), {});
    ASSERT_TRUE(converter.start());
    const std::string file = editedFile();

    struct Row {
        int signal;
        int status;
    };
    for (const Row row : {Row{SIGINT, 130}, Row{SIGTERM, 143}, Row{SIGHUP, 129}}) {
        log.clear();
        ChildProcess cli(
            {VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(), "write", file});
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
    sim::SerialConverter converter(memory, log, slowFrames(), {});
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
    ChildProcess cli(
        {VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(), "firmware", image});
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

// A stop is acknowledged at once. Another signal after it ends the program at once and says
// that no converter was being written. (The same signal again within a second is the same
// request: the batch tests show that, where a stop takes long enough to be asked twice.)
TEST_F(Stopped, AnotherSignalEndsAtOnce) {
    // A silent converter keeps the exchange waiting its whole second.
    sim::SerialFaults silent;
    silent.silent = true;
    sim::SerialConverter converter(memory, log, silent, {});
    ASSERT_TRUE(converter.start());
    ChildProcess cli(
        {VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(), "read"});
    ASSERT_TRUE(awaitFrames(log, "read", 1));
    ::kill(cli.pid, SIGINT);
    ASSERT_NE(cli.until("stopping:"), "");
    ::kill(cli.pid, SIGTERM);
    const std::string said = cli.rest();
    EXPECT_EQ(cli.finish(), 143) << said;
    EXPECT_NE(said.find("ended at once; no converter was being written"), std::string::npos)
        << said;
    EXPECT_EQ(said.find("Communication error"), std::string::npos) << said;
    converter.stop();
}

// apply reads, then writes: a stop during the write must not leave the read's "Done" behind.
TEST_F(Stopped, AStoppedApplyNeverSaysDone) {
    sim::SerialConverter converter(memory, log, slowFrames(), {});
    ASSERT_TRUE(converter.start());
    const std::string file = editedFile();
    ChildProcess cli(
        {VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(), "apply", file});
    ASSERT_TRUE(awaitFrames(log, "write", 5));
    ::kill(cli.pid, SIGINT);
    const std::string said = cli.rest();
    EXPECT_EQ(cli.finish(), 130) << said;
    EXPECT_NE(said.find("Stopped after"), std::string::npos) << said;
    EXPECT_EQ(said.find("Done"), std::string::npos) << said;
    converter.stop();
}

// The slice is still on the line when its writes return: a checkpoint's answer that comes
// late, but before the line has carried the last byte, is no verdict. The simulator paces the
// line as a UART at 9600 b/s does, and the checkpoint falls at the end of one slice with the
// image ending in the next, where the late 'O' once passed for the verdict.
TEST_F(Stopped, ALateCheckpointAnswerIsNoVerdict) {
    sim::BootFaults loader;
    ASSERT_EQ(sim::applyBootFault("boot", loader), sim::FaultParse::Applied);
    ASSERT_EQ(sim::applyBootFault("boot-checkpoint-late=1500", loader), sim::FaultParse::Applied);
    ASSERT_EQ(sim::applyBootFault("boot-final=E", loader), sim::FaultParse::Applied);
    loader.imageSize = 10500;
    sim::SerialConverter converter(memory, log, {}, loader);
    ASSERT_TRUE(converter.start());
    const std::string image = (dir / "image.qfw").string();
    std::ofstream(image, std::ios::binary) << std::string(18 + 10500, 'f');
    ChildProcess cli(
        {VARNADEX_CLI_PROGRAM, "--lang", "en", "--port", converter.slavePath(), "firmware", image});
    const std::string said = cli.rest();
    EXPECT_EQ(cli.finish(), 1) << said;
    EXPECT_NE(said.find("Download error! Restart converter and try again!"), std::string::npos)
        << said;
    EXPECT_EQ(said.find("successfull"), std::string::npos) << said;
    converter.stop();
}

} // namespace
} // namespace varnadex::test
