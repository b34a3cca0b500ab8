// The firmware download on a scripted converter and virtual time: the exact bytes on the
// wire, the slices, the checkpoints, every verdict, and every way it can fail.

#include "maintenance/FirmwareUpgrade.h"
#include "serial/SerialLink.h"
#include "tests/firmware_support.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

#include <map>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

const Bytes kRestart = {'X',  'X',  'X',  'X',  'X', 'X', 0x44, 0x00,
                        0xFF, 0x00, 0xFF, 0xFE, 'X', 'X', 'X',  'R'};

// The converter: answers 'V' after `silentV` unanswered ones, and says `at[n]` once the wire
// holds n bytes. The default verdict 'O' follows the last image byte.
struct Rig {
    explicit Rig(std::size_t image, int silentV = 0)
        : port(clock), link(port, clock, catalogue), upgrade(link, file, clock, sink, catalogue) {
        catalogue.fill(1);
        file.bytes = firmwareBytes(image);
        prefix = silentV ? Bytes{'V'} : Bytes{};
        if (silentV) prefix.insert(prefix.end(), kRestart.begin(), kRestart.end());
        prefix.insert(prefix.end(), {'V', 'S'});
        at[prefix.size() + image] = {'O'};
        port.converter = [this, silentV](const Bytes& w) {
            if (port.wire.size() <= prefix.size() && w == Bytes{'V'})
                return versions++ < silentV ? Bytes{} : versionAnswer;
            return at.contains(port.wire.size()) ? at[port.wire.size()] : Bytes{};
        };
    }
    std::vector<std::size_t> run() { // the bytes each tick sent
        std::vector<std::size_t> slices;
        for (bool more = true; more && slices.size() < 100;) {
            const auto before = port.wire.size();
            more = upgrade.Tick();
            slices.push_back(port.wire.size() - before);
        }
        return slices;
    }
    bool closed() const { return !file.isOpen() && !port.isOpen(); }
    std::vector<std::string> said() const { return sink.texts(); }
    std::vector<std::string> error(Msg m) const { return {catalogue.text(m)}; }

    FakeClock clock;
    MessageCatalogue catalogue;
    RecordingSink sink;
    CallbackPort port;
    MemoryFirmwareFile file;
    CSerialLink link;
    FirmwareUpgrade upgrade;
    Bytes prefix, versionAnswer = {0x00, 0x01};
    std::map<std::size_t, Bytes> at;
    int versions = 0;
};

TEST(FirmwareExchange, WireSlicesAndPauses) {
    struct Row {
        int silentV;
        std::size_t image;
        std::vector<std::size_t> slices; // the last tick only reads the verdict
        int progressMaximum;
    };
    const Row rows[] = {
        {0, 2500, {1001, 1001, 498, 0}, 2},
        {1, 2500, {1001, 1001, 498, 0}, 2},
        {0, 1, {1, 0}, 0},
        {0, 981, {981, 0}, 0},         // a file under 1000 bytes
        {0, 2002, {1001, 1001, 0}, 2}, // the image ends on a tick boundary
    };
    for (const auto& row : rows) {
        Rig r(row.image, row.silentV);
        ASSERT_TRUE(r.upgrade.Start("COM1", "new.qfw"));
        EXPECT_EQ(r.clock.sleeps, (row.silentV ? std::vector{100ms, 3000ms, 100ms, 1000ms}
                                               : std::vector{100ms, 1000ms}));
        EXPECT_EQ(r.upgrade.progressMaximum(), row.progressMaximum);
        const auto before = r.port.wire.size();
        ASSERT_TRUE(r.upgrade.Tick());
        std::vector<std::size_t> slices{r.port.wire.size() - before};
        EXPECT_EQ(r.upgrade.progressValue(), static_cast<int>(18 + slices[0]) / 1000);
        const auto rest = r.run();
        slices.insert(slices.end(), rest.begin(), rest.end());
        EXPECT_EQ(slices, row.slices) << row.image;
        Bytes expected = r.prefix;
        const Bytes image = imageOf(r.file.bytes);
        expected.insert(expected.end(), image.begin(), image.end());
        EXPECT_EQ(r.port.wire, expected) << row.silentV << " " << row.image;
        EXPECT_EQ(r.said(), std::vector<std::string>{"Firmware download was successfull"});
        EXPECT_TRUE(r.upgrade.succeeded() && r.closed());
        EXPECT_EQ(r.upgrade.imageBytesSent(), row.image);
        EXPECT_EQ(r.upgrade.progressValue(), 0);
        EXPECT_EQ(r.port.opens, 1);
    }
}

TEST(FirmwareExchange, OnlyZeroOneFromVStartsTheTransfer) {
    const Bytes refused[] = {{0x01, 0x00}, {0x00, 0x02}, {0x00}, {}};
    for (const auto& answer : refused) {
        Rig r(100, answer.empty() ? 2 : 0); // nothing: 'V' unanswered, also after the restart
        r.versionAnswer = answer;
        r.link.replyBuffer[1] = 0x01; // left by an earlier reply where a second byte would go
        EXPECT_FALSE(r.upgrade.Start("COM1", "x.qfw"));
        Bytes wire = {'V'};
        if (answer.empty()) wire.insert(wire.end(), kRestart.begin(), kRestart.end());
        wire.push_back(answer.empty() ? 'V' : 'I');
        EXPECT_EQ(r.port.wire, wire);
        EXPECT_EQ(r.said(),
                  r.error(answer.empty() ? Msg::SerialCommError : Msg::FirmwareIncompatible));
        EXPECT_TRUE(r.closed());
        EXPECT_FALSE(r.upgrade.Tick());
    }
}

TEST(FirmwareExchange, CheckpointsAfterFilePositions9999And19999) {
    // File offset 9998 is image byte 9980: the wire's 9983rd byte after 'V' and 'S'.
    const std::size_t first = 2 + 9981, second = 2 + 19981, end = 2 + 25000;
    const std::pair<Bytes, bool> atSecond[] = {
        {{}, true}, {{'O', 'K', 'C'}, true}, {{'x', 0x00, 'E'}, false}};
    for (const auto& [reply, completes] : atSecond) {
        Rig r(25000);
        r.at[first] = {'C'};
        r.at[second] = reply;
        ASSERT_TRUE(r.upgrade.Start("COM1", "x.qfw"));
        r.port.readsAt.clear();
        r.run();
        EXPECT_EQ(r.port.readsAt,
                  (completes ? std::set{first, second, end} : std::set{first, second}));
        EXPECT_EQ(r.upgrade.succeeded(), completes);
        if (!completes) {
            EXPECT_EQ(r.port.wire.size(), second) << "nothing after the 'E'";
            EXPECT_EQ(r.said(), r.error(Msg::DownloadError));
            EXPECT_EQ(r.upgrade.progressValue(), 19); // left where it was
        }
        EXPECT_TRUE(r.closed());
    }
}

TEST(FirmwareExchange, LateCheckpointAnswerIsNoVerdict) {
    // The checkpoint after file position 9999 is answered five bytes after its read gave up;
    // the converter then finds the image bad.
    const std::size_t first = 2 + 9981, end = 2 + 12000;
    Rig r(12000);
    r.at[first + 5] = {'O'};
    r.at[end] = {'E'};
    ASSERT_TRUE(r.upgrade.Start("COM1", "x.qfw"));
    r.run();
    EXPECT_EQ(r.port.wire.size(), end);
    EXPECT_EQ(r.said(), r.error(Msg::DownloadError));
    EXPECT_FALSE(r.upgrade.succeeded());
}

TEST(FirmwareExchange, VerdictOBeforeEBeforeC) {
    const std::pair<Bytes, std::optional<Msg>> rows[] = {
        {{'O'}, std::nullopt},
        {{'E', 'O'}, std::nullopt},
        {{'C', 'E'}, Msg::DownloadError},
        {{0x00, 'E'}, Msg::DownloadError}, // searched past a zero byte
        {{'C'}, Msg::FirmwareIncompatible},
        {{'o', 'k'}, Msg::NotAcknowledged},
        {{}, Msg::NotAcknowledged},
    };
    for (const auto& [reply, error] : rows) {
        Rig r(300);
        r.at[2 + 300] = reply;
        ASSERT_TRUE(r.upgrade.Start("COM1", "x.qfw"));
        r.run();
        EXPECT_EQ(r.upgrade.succeeded(), !error);
        if (error) {
            EXPECT_EQ(r.said(), r.error(*error)) << std::string(reply.begin(), reply.end());
        }
        EXPECT_TRUE(r.closed());
    }
}

TEST(FirmwareFailures, RefusedBeforeThePortOpens) {
    Rig r(0);
    for (std::size_t size : {0, 18}) {
        r.file.bytes.assign(size, 'H');
        EXPECT_FALSE(r.upgrade.Start("COM1", "/fw/empty.qfw"));
    }
    EXPECT_EQ(r.said(), std::vector<std::string>(
                            2, "The firmware file \"/fw/empty.qfw\" holds no firmware image."));
    r.file.exists = false; // the dialog offered it, then it could not be opened
    EXPECT_FALSE(r.upgrade.Start("COM1", "/fw/gone.qfw"));
    EXPECT_FALSE(FirmwareFile().open(std::filesystem::temp_directory_path().string()));
    EXPECT_EQ(r.port.opens, 0);
    ASSERT_EQ(r.said().size(), 3u);
    EXPECT_EQ(r.said().back(), "Couldn't open the firmware file \"/fw/gone.qfw\".");
    EXPECT_FALSE(r.file.isOpen());

    Rig busy(100);
    busy.port.openSucceeds = false;
    EXPECT_FALSE(busy.upgrade.Start("COM9", "x.qfw"));
    EXPECT_EQ(busy.said(), busy.error(Msg::CouldntOpenPort));
    EXPECT_TRUE(busy.closed());
}

TEST(FirmwareFailures, MidTransfer) {
    struct Row {
        std::size_t writeFailsAt, fileFailsAt, wireAtEnd;
        Msg message;
    };
    const Row rows[] = {
        {2 + 1500, SIZE_MAX, 2 + 1500, Msg::CouldntSend},
        {SIZE_MAX, 18 + 1500, 2 + 1500, Msg::DownloadError}, // the file shrank mid-slice
        {SIZE_MAX, 18 + 1001, 2 + 1001, Msg::DownloadError}, // or on a slice boundary
    };
    for (const auto& row : rows) {
        Rig r(3000);
        r.port.failWriteAt = row.writeFailsAt;
        r.file.failAt = row.fileFailsAt;
        ASSERT_TRUE(r.upgrade.Start("COM1", "x.qfw"));
        r.run();
        EXPECT_EQ(r.said(), r.error(row.message));
        EXPECT_EQ(r.port.wire.size(), row.wireAtEnd);
        EXPECT_TRUE(r.closed() && !r.upgrade.succeeded());
        EXPECT_FALSE(r.upgrade.Tick());
        EXPECT_EQ(r.port.wire.size(), row.wireAtEnd);
    }
    Rig r(3000);
    ASSERT_TRUE(r.upgrade.Start("COM1", "x.qfw") && r.upgrade.Tick());
    EXPECT_FALSE(r.upgrade.Start("COM2", "y.qfw")); // a second image must not mix in
    EXPECT_TRUE(r.upgrade.running());
    r.upgrade.Abort(); // the window closing
    EXPECT_TRUE(r.closed() && r.said().empty());
    EXPECT_FALSE(r.upgrade.Tick());
    EXPECT_EQ(r.port.wire.size(), 2 + 1001u);
}

} // namespace
} // namespace varnadex::test
