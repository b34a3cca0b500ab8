// The firmware download against the simulated converter on a real pty: the image arrives byte
// for byte, and each of the loader's faults gives its outcome. The simulator is told each
// image's size and judges it at its last byte, so every answer comes within milliseconds and a
// silent converter costs only the port's real-time cap.

#include "maintenance/FirmwareUpgrade.h"
#include "serial/SerialLink.h"
#include "sim/SerialConverter.h"
#include "tests/firmware_support.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

TEST(FirmwareOverPty, ImageAndOutcomes) {
    const std::string incompatible = "Firmware isn't compatible with this equipment!";
    const std::string downloadError = "Download error! Restart converter and try again!";
    const std::string success = "Firmware download was successfull";
    struct Row {
        std::vector<const char*> faults;
        std::size_t image, received; // bytes the converter keeps
        std::string message;
        std::string lastLine; // the simulator's last log line
        Millis cap = 400ms;   // what a silent read costs in real time
    };
    const Row rows[] = {
        // Running its configuration firmware, the converter ignores 'V' and is restarted.
        {{}, 2600, 2600, success, "boot image 2600"},
        // Already in its loader it answers at once; 20000 image bytes pass the checkpoints at
        // file positions 9999 and 19999.
        {{"boot"}, 20000, 20000, success, "boot image 20000"},
        {{"boot", "boot-checkpoint-e=1"}, 12000, 9981, downloadError, "boot checkpoint 1"},
        {{"boot", "boot-v=0100"}, 50, 0, incompatible, "boot incompatible"},
        {{"boot", "boot-v=0002"}, 50, 0, incompatible, "boot incompatible"},
        {{"boot", "boot-v-one-byte"}, 50, 0, incompatible, "boot incompatible"},
        {{"boot-v-silent"},
         50,
         0,
         "Communication error! Press Conf key on equipment or check the cable.",
         "boot version"},
        {{"boot", "boot-final=OE"}, 50, 50, success, "boot image 50"},
        {{"boot", "boot-final=CE"}, 50, 50, downloadError, "boot image 50"},
        {{"boot", "boot-final=none"},
         50,
         50,
         "Firmware download wasn't acknowledged! Maybe there is some problem! Try again!",
         "boot image 50"},
        // Bytes that came before the last image byte are no verdict: a third byte of the answer
        // to 'V', a checkpoint's answer longer than the reply buffer (it takes 312 ms to come,
        // hence the longer cap). An 'E' anywhere in that answer still ends the download.
        {{"boot", "boot-v=00014F", "boot-final=E"}, 50, 50, downloadError, "boot image 50"},
        {{"boot", "boot-checkpoint-flood=300", "boot-final=E"},
         12000,
         12000,
         downloadError,
         "boot image 12000",
         1500ms},
        {{"boot", "boot-checkpoint-flood=300", "boot-checkpoint-e=1"},
         12000,
         9981,
         downloadError,
         "boot checkpoint 1",
         1500ms},
    };
    for (const auto& row : rows) {
        const std::string name = row.faults.empty() ? "normal mode" : row.faults.back();
        sim::BootFaults boot;
        boot.imageSize = row.image;
        for (const char* f : row.faults)
            ASSERT_EQ(sim::applyBootFault(f, boot), sim::FaultParse::Applied) << f;
        sim::RegisterMemory memory;
        sim::SimLog log;
        sim::SerialConverter converter(memory, log, {}, boot);
        // The program runs on virtual time: the simulator answers as soon as bytes come.
        converter.setRequestPacing(false);
        ASSERT_TRUE(converter.start());
        FakeClock clock;
        MessageCatalogue catalogue;
        catalogue.fill(1);
        RecordingSink sink;
        VirtualTimeSerialPort port(clock, row.cap);
        CSerialLink link(port, clock, catalogue);
        FirmwareFile file;
        FirmwareUpgrade upgrade(link, file, clock, sink, catalogue);
        const Bytes bytes = firmwareBytes(row.image);
        TempFile qfw(bytes);

        if (upgrade.Start(converter.slavePath(), qfw.path.string())) {
            for (int ticks = 0; ticks < 100 && upgrade.Tick(); ++ticks) {
            }
        }
        EXPECT_EQ(sink.texts(), std::vector<std::string>{row.message}) << name;
        EXPECT_FALSE(link.isOpen() || file.isOpen()) << name;
        const Bytes image = imageOf(bytes);
        EXPECT_EQ(converter.receivedImage(), Bytes(image.begin(), image.begin() + row.received))
            << name;
        // The simulator logs on its own thread: wait for its last line, as long as it takes.
        const auto lastLineIs = [&](const std::string& line) {
            const auto lines = log.lines();
            return !lines.empty() && lines.back() == line;
        };
        for (int i = 0; i < 2000 && !lastLineIs(row.lastLine); ++i)
            std::this_thread::sleep_for(5ms);
        const auto lines = log.lines();
        ASSERT_FALSE(lines.empty()) << name;
        EXPECT_EQ(lines.back(), row.lastLine) << name;
        // Only a converter that did not answer 'V' at once is restarted.
        const std::vector<std::string> restart = {"serial unknown 86", "serial leadin",
                                                  "serial write 255 255", "serial restart-request",
                                                  "boot version"};
        const bool restarted = lines.size() >= restart.size() &&
                               std::equal(restart.begin(), restart.end(), lines.begin());
        EXPECT_EQ(restarted, row.faults.empty() || name == "boot-v-silent") << name;
        EXPECT_EQ(lines[restarted ? 4 : 0], "boot version") << name;
    }
}

} // namespace
} // namespace varnadex::test
