// Read Conf and Write Conf from end to end: the real operations over a real pty and a real
// UDP socket, against the simulator running in this process.

#include "cli/CliApp.h"
#include "config/ConfigFile.h"
#include "config/RegisterMap.h"
#include "maintenance/FirmwareFile.h"
#include "operations/ConverterOperations.h"
#include "platform/PosixSerialPort.h"
#include "platform/PosixUdpSocket.h"
#include "platform/SystemClock.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"
#include "sim/SnmpAgent.h"
#include "support/FakeClock.h"
#include "support/RecordingSink.h"
#include "support/ScratchDir.h"
#include "tests/snmp_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace varnadex {
namespace {

using sim::RegisterMemory;
using sim::SerialConverter;
using sim::SerialFaults;
using sim::SimLog;
using sim::SnmpAgent;
using sim::SnmpFaults;

struct Devices {
    PosixSerialPort port;
    PosixUdpSocket socket{test::loopbackResolver};
    SystemClock clock;
    FirmwareFile file;
};

// A simulated converter on both transports, and the operations pointed at it.
class Converter {
public:
    explicit Converter(SerialFaults serialFaults = {}, SnmpFaults snmpFaults = {}, int language = 1,
                       std::pair<int, int> version = {2, 2}, sim::BootFaults bootFaults = {})
        : serial_(memory, log, serialFaults, bootFaults), agent_(memory, log, snmpFaults) {
        catalogue.fill(language);
        serial_.setVersion(static_cast<std::uint8_t>(version.first),
                           static_cast<std::uint8_t>(version.second));
        agent_.setVersion(static_cast<std::uint8_t>(version.first),
                          static_cast<std::uint8_t>(version.second));
        ok = serial_.start() && agent_.start("127.0.0.1", 0);
        operations = std::make_unique<ConverterOperations>(
            devices_.port, devices_.socket, devices_.clock, devices_.file, sink, catalogue);
    }
    ~Converter() {
        operations.reset();
        agent_.stop();
        serial_.stop();
    }
    // A record pointed at this converter over one transport.
    ConverterConfig config(int accessMode) const {
        ConverterConfig c;
        c.applyLateDefaults();
        c.firmwareVersion = catalogue.text(Msg::Unknown);
        c.accessMode = accessMode;
        c.comPort = serial_.slavePath();
        c.agentHost = "127.0.0.1:" + std::to_string(agent_.port());
        return c;
    }
    // The registers the converter was asked for, in order: "r44", "w44" (SNMP and serial
    // alike), and "v" for the version.
    std::vector<std::string> wire() const {
        std::vector<std::string> out;
        for (const auto& line : log.lines()) {
            std::istringstream in(line);
            std::string transport, what, address;
            in >> transport >> what >> address;
            if (what == "read" || what == "get") out.push_back("r" + address);
            if (what == "write" || what == "set") out.push_back("w" + address);
            if (what == "version") out.push_back("v");
        }
        return out;
    }

    std::vector<std::uint8_t> receivedImage() const { return serial_.receivedImage(); }

    RegisterMemory memory;
    SimLog log;
    MessageCatalogue catalogue;
    test::RecordingSink sink;
    std::unique_ptr<ConverterOperations> operations;
    bool ok = false;

private:
    Devices devices_;
    SerialConverter serial_;
    SnmpAgent agent_;
};

std::vector<std::string> ops(char kind, std::initializer_list<int> addresses) {
    std::vector<std::string> out;
    for (int a : addresses)
        out.push_back(kind + std::to_string(a));
    return out;
}

const auto kReadOrder = ops(
    'r', {10, 11, 12, 13, 14, 15, 16, 17, 18, 19,  20,  21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,
          36, 37, 38, 39, 72, 73, 74, 75, 76, 77,  78,  79, 32, 33, 34, 35, 40, 41, 44, 46, 50, 56,
          57, 51, 53, 52, 59, 60, 54, 55, 58, 100, 101, 70, 71, 80, 81, 82, 83, 84, 85, 86});

std::vector<std::string> writeOrder(bool mac) {
    std::vector<std::string> out;
    if (mac) out = ops('w', {10, 11, 12, 13, 14, 15});
    for (auto& op :
         ops('w', {16, 17, 18, 19, 20, 21, 22, 23, 24, 25,  26,  27, 28, 29, 30, 31, 36, 37, 38, 39,
                   72, 73, 74, 75, 76, 77, 78, 79, 32, 33,  34,  35, 40, 41, 44, 46, 50, 51, 53, 52,
                   55, 58, 56, 57, 59, 70, 71, 80, 60, 100, 101, 81, 82, 83, 84, 85, 86, 54}))
        out.push_back(op);
    return out;
}

// A configuration with every field away from its default, every kind of field included.
ConverterConfig edited(ConverterConfig c) {
    c.macAddress = "00A0B1C2D3E4";
    c.ipAddress = "10.0.0.7";
    c.subnetMask = "255.255.0.0";
    c.gatewayAddress = "10.0.0.1";
    c.remoteAddress = "10.0.0.200";
    c.remotePort = "4001";
    c.localPort = "65535";
    c.remoteSubnetMask = "255.255.255.128";
    c.baudRate = "57600";
    c.dataFormat = "8E1";
    c.dataFormatCode = 0xC1;
    c.rtsCtsFlowControl = 1;
    c.dtrMode = 1;
    c.crlfMode = 1;
    c.workingMode = 1;
    c.protocol = 1;
    c.tcpMode = 1;
    c.networkTimeout = 200;
    c.keepAliveTimer = 3;
    c.bufferHandling = 1;
    c.networkDelay = 1;
    c.optimizeFor = 1;
    c.icmpEchoEnabled = 0;
    c.patternCharEnabled = 1;
    c.patternChar = "0D";
    c.snmpReadEnabled = 1;
    c.snmpWriteEnabled = 0;
    c.snmpCommunity = "public";
    c.snmpFilterAddress = "10.0.0.0";
    c.snmpFilterMask = "255.0.0.0";
    return c;
}

class BothTransports : public ::testing::TestWithParam<int> {};

TEST_P(BothTransports, RegisterOrderOnTheWire) {
    Converter converter;
    ASSERT_TRUE(converter.ok);
    auto c = converter.config(GetParam());
    ASSERT_TRUE(converter.operations->ReadConf(c));
    auto expected = kReadOrder;
    expected.push_back("v");
    EXPECT_EQ(converter.wire(), expected);

    for (int mac : {0, 1}) {
        converter.log.clear();
        c.enableMac = mac;
        ASSERT_TRUE(converter.operations->WriteConf(c));
        expected = writeOrder(mac);
        expected.push_back("v");
        EXPECT_EQ(converter.wire(), expected) << "enableMac " << mac;
    }
    EXPECT_EQ(converter.sink.texts(), (std::vector<std::string>{"Done", "Done", "Done"}));
}

TEST_P(BothTransports, EveryFieldKindTravelsBothWays) {
    Converter converter;
    ASSERT_TRUE(converter.ok);
    const int there = GetParam();
    const int back = 1 - there;
    auto c = edited(converter.config(there));
    c.enableMac = 1;
    ASSERT_TRUE(converter.operations->WriteConf(c));
    auto image = converter.memory.snapshot();
    EXPECT_EQ(image[40], 0xE1); // 57600
    EXPECT_EQ(image[54], 5);    // Medium
    EXPECT_EQ(image[56], 30);   // 3 s in tenths

    auto read = converter.config(back);
    ASSERT_TRUE(converter.operations->ReadConf(read));
    auto expected = c;
    expected.accessMode = read.accessMode;
    expected.enableMac = 0;
    expected.firmwareVersion = read.firmwareVersion;
    EXPECT_EQ(read, expected) << configToJson(read);
}

TEST_P(BothTransports, SilentConverterGivesOneErrorAndChangesNothing) {
    SerialFaults serialFaults;
    serialFaults.silent = true;
    SnmpFaults snmpFaults;
    snmpFaults.silent = true;
    Converter converter(serialFaults, snmpFaults);
    ASSERT_TRUE(converter.ok);
    auto c = converter.config(GetParam());
    const auto before = c;
    EXPECT_FALSE(converter.operations->ReadConf(c));
    EXPECT_EQ(c, before);
    ASSERT_EQ(converter.sink.entries.size(), 1u);
    EXPECT_EQ(converter.sink.entries[0].kind, MessageKind::Error);
    EXPECT_EQ(converter.sink.entries[0].text,
              GetParam() == 1
                  ? "Communication error! Check target IP and Community string!"
                  : "Communication error! Press Conf key on equipment or check the cable.");
    EXPECT_EQ(converter.wire().front(), "r10");
}

INSTANTIATE_TEST_SUITE_P(Transports, BothTransports, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "Snmp" : "Serial"; });

TEST(EndToEnd, OversizedDatagramBeforeEachSnmpAnswerCostsNoRetry) {
    SnmpFaults faults;
    faults.oversizedFirst = true;
    Converter converter({}, faults);
    ASSERT_TRUE(converter.ok);
    auto c = converter.config(1);
    ASSERT_TRUE(converter.operations->ReadConf(c));
    auto expected = kReadOrder;
    expected.push_back("v");
    EXPECT_EQ(converter.wire(), expected);
    EXPECT_EQ(c.firmwareVersion, "2.2");
}

class CliAgainstSimulator : public ::testing::Test {
protected:
    int run(Converter& converter, std::vector<std::string> args) {
        (void)converter;
        return runOver(devices.socket, devices.clock, args);
    }
    // The CLI with its operations over `socket` and `clock`.
    int runOver(IDatagramSocket& socket, IClock& clock, const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        test::FakeClock ticks; // the ticks follow one another at once
        CliEnvironment env{(dir / "varnadex-cli").string(),
                           out,
                           err,
                           false,
                           [&](IMessageSink& sink, const MessageCatalogue& catalogue) {
                               return std::make_unique<ConverterOperations>(
                                   devices.port, socket, clock, devices.file, sink, catalogue);
                           },
                           ticks};
        env.resolve = test::loopbackResolver;
        return runCli(args, env);
    }
    test::ScratchDir scratch{"varnadex-e2e"};
    const std::filesystem::path& dir = scratch.path;
    std::ostringstream out, err;
    Devices devices;
};

TEST_F(CliAgainstSimulator, RoundTripAndRefusedFile) {
    Converter converter;
    ASSERT_TRUE(converter.ok);
    const auto serial = converter.config(0).comPort;
    const auto host = converter.config(1).agentHost;
    converter.memory.load(registerImage(edited(ConverterConfig{})));
    const std::string saved = (dir / "conf.json").string();
    ASSERT_EQ(run(converter, {"--port", serial, "read", "--output", saved}), 0) << err.str();
    const auto before = converter.memory.snapshot();
    converter.memory.load(registerImage(ConverterConfig{}));
    ASSERT_EQ(run(converter, {"--host", host, "--enable-mac", "write", saved}), 0) << err.str();
    EXPECT_EQ(converter.memory.snapshot(), before);
    ASSERT_EQ(run(converter, {"--host", host, "read"}), 0);
    std::ifstream in(saved);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(out.str(), s.str());

    // A bad address in the file: refused, and nothing reaches the converter.
    std::string text = s.str();
    text.replace(text.find("10.0.0.200"), 10, "10.0.0.256");
    std::ofstream(dir / "bad.json") << text;
    converter.log.clear();
    EXPECT_EQ(
        run(converter, {"--lang", "en", "--port", serial, "write", (dir / "bad.json").string()}),
        2);
    EXPECT_NE(err.str().find("Remote Address"), std::string::npos) << err.str();
    EXPECT_TRUE(converter.log.lines().empty());
}

TEST_F(CliAgainstSimulator, ExitCodes) {
    SnmpFaults faults;
    faults.community = "other";
    Converter converter({}, faults);
    ASSERT_TRUE(converter.ok);
    EXPECT_EQ(run(converter, {"--lang", "en", "--host", converter.config(1).agentHost, "read"}), 1);
    EXPECT_EQ(err.str(), "Communication error! Check target IP and Community string!\n");
    EXPECT_TRUE(out.str().empty());
    const std::string nothing = (dir / "nothing").string();
    EXPECT_EQ(run(converter, {"--lang", "en", "--port", nothing, "read"}), 1);
    EXPECT_EQ(err.str(), "Couldn't open communication port!\nvarnadex-cli: " +
                             echoedValue(nothing) + ": no such device\n");
    EXPECT_EQ(run(converter, {"--lang", "hu", "--host", "no-such-host.test", "reset"}), 1);
    EXPECT_EQ(err.str(), "Nem tudok kapcsolódni a távoli eszközhöz (no-such-host.test)!\n");
}

TEST_F(CliAgainstSimulator, CommunityTravelsInTheConvertersCodePage) {
    SnmpFaults faults;
    faults.community = "jelsz\xF3"; // as the converter holds it
    Converter converter({}, faults);
    ASSERT_TRUE(converter.ok);
    const auto host = converter.config(1).agentHost;
    EXPECT_EQ(run(converter, {"--host", host, "--community", "jelszó", "read"}), 0) << err.str();
    // Refused as bad input before a socket opens, as is one too long for a request.
    converter.log.clear();
    EXPECT_EQ(run(converter, {"--lang", "en", "--host", host, "--community", "密码", "read"}), 2);
    EXPECT_NE(err.str().find("cannot store"), std::string::npos) << err.str();
    EXPECT_EQ(run(converter, {"--host", host, "--community", std::string(60, 'c'), "reset"}), 2);
    EXPECT_TRUE(converter.log.lines().empty());
}

TEST_F(CliAgainstSimulator, EchoingPeerIsNoConverter) {
    test::EchoPeer peer;
    ASSERT_TRUE(peer.ok());
    const auto path = (dir / "conf.json").string();
    std::ofstream(path) << configToJson(ConverterConfig{});
    // Virtual time: each silent wait costs 30 ms, not its whole window.
    test::FakeClock clock;
    test::VirtualTimeUdpSocket socket(clock, Millis(30));
    const std::string host = "127.0.0.1:" + std::to_string(peer.port);
    EXPECT_EQ(runOver(socket, clock, {"--lang", "en", "--host", host, "write", path}), 1);
    EXPECT_EQ(err.str(), "Communication error! Check target IP and Community string!\n");
    EXPECT_GT(peer.echoed, 0) << "the requests reached the peer";
}

TEST_F(CliAgainstSimulator, FirmwareDownload) {
    std::string file(18, 'H'); // the header, never sent
    for (int i = 0; i < 3000; ++i)
        file += static_cast<char>(i * 7 + i / 256);
    const auto path = (dir / "image.qfw").string();
    std::ofstream(path, std::ios::binary) << file;
    const std::vector<std::uint8_t> image(file.begin() + 18, file.end());

    for (const char* verdict : {"O", "CE"}) {
        sim::BootFaults faults;
        faults.startInLoader = true;
        faults.imageSize = image.size();
        faults.finalReply = verdict;
        Converter converter({}, {}, 1, {2, 2}, faults);
        ASSERT_TRUE(converter.ok);
        const int code = run(
            converter, {"--lang", "en", "--port", converter.config(0).comPort, "firmware", path});
        EXPECT_EQ(converter.receivedImage(), image);
        if (std::string(verdict) == "O") {
            EXPECT_EQ(code, 0) << err.str();
            EXPECT_NE(err.str().find("firmware: 3000/3000 bytes (100%)"), std::string::npos)
                << err.str();
            EXPECT_NE(err.str().find("Firmware download was successfull\n"), std::string::npos);
        } else {
            EXPECT_EQ(code, 1);
            EXPECT_NE(err.str().find("Download error! Restart converter and try again!"),
                      std::string::npos);
        }
    }
}

// Many converters at once, each with its own socket: a template with one column of
// addresses, and one converter that does not answer to the community.
TEST_F(CliAgainstSimulator, HostListAppliesATemplateWithPerConverterValues) {
    struct Agent {
        RegisterMemory memory;
        SimLog log;
        std::unique_ptr<SnmpAgent> agent;
    };
    std::vector<std::unique_ptr<Agent>> agents;
    std::string list = "ipAddress,host\n";
    for (int i = 0; i < 3; ++i) {
        auto a = std::make_unique<Agent>();
        SnmpFaults faults;
        if (i == 2) faults.community = "other";
        a->agent = std::make_unique<SnmpAgent>(a->memory, a->log, faults);
        ASSERT_TRUE(a->agent->start("127.0.0.1", 0));
        list += "10.0.0." + std::to_string(i + 1) +
                ",\"127.0.0.1:" + std::to_string(a->agent->port()) + "\"\n";
        agents.push_back(std::move(a));
    }
    std::ofstream(dir / "hosts.csv") << list;
    ConverterConfig wanted = edited(ConverterConfig{});
    std::ofstream(dir / "template.json") << configToJson(wanted);

    test::FakeClock clock;
    CliEnvironment env{(dir / "varnadex-cli").string(), out, err, false, makeOperations, clock};
    auto cli = [&](std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--lang", "en", "--hosts", (dir / "hosts.csv").string()});
        return runCli(args, env);
    };
    auto statuses = [&] {
        std::map<std::string, std::string> byHost;
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);) {
            auto j = nlohmann::json::parse(line);
            byHost[j["host"]] = j["status"].get<std::string>() +
                                (j.contains("error") ? " " + j["error"].get<std::string>() : "");
        }
        return byHost;
    };
    const auto host = [&](int i) {
        return "127.0.0.1:" + std::to_string(agents[i]->agent->port());
    };

    EXPECT_EQ(cli({"apply", (dir / "template.json").string()}), 1);
    for (int i = 0; i < 2; ++i) {
        auto expected = wanted;
        expected.ipAddress = "10.0.0." + std::to_string(i + 1);
        EXPECT_EQ(statuses()[host(i)], "changed");
        auto image = registerImage(expected);
        for (int a = 10; a <= 15; ++a) // the MAC address is not written without --enable-mac
            image[a] = agents[i]->memory.snapshot()[a];
        EXPECT_EQ(agents[i]->memory.snapshot(), image) << i;
    }
    EXPECT_EQ(statuses()[host(2)],
              "failed Communication error! Check target IP and Community string!");
    EXPECT_NE(err.str().find("3 converters: 2 changed, 1 failed"), std::string::npos) << err.str();

    agents[2]->agent.reset(); // gone: the others are still answered
    agents[0]->log.clear();
    EXPECT_EQ(cli({"apply", "--jobs", "2", (dir / "template.json").string()}), 1);
    EXPECT_EQ(statuses()[host(0)], "unchanged");
    EXPECT_EQ(statuses()[host(1)], "unchanged");
    EXPECT_FALSE(agents[0]->log.lines().empty());
    for (const auto& line : agents[0]->log.lines())
        EXPECT_EQ(line.find(" set "), std::string::npos) << line;
}

TEST_F(CliAgainstSimulator, HostListMixesSerialPortsAndHosts) {
    Converter serial, network;
    ASSERT_TRUE(serial.ok && network.ok);
    serial.memory.write(16, 10);
    std::ofstream(dir / "hosts.csv")
        << "port,host\n"
        << serial.config(0).comPort << ",\n," << network.config(1).agentHost << "\n";
    test::FakeClock clock;
    CliEnvironment env{(dir / "varnadex-cli").string(), out, err, false, makeOperations, clock};
    ASSERT_EQ(runCli({"read", "--hosts", (dir / "hosts.csv").string()}, env), 0) << err.str();
    std::map<std::string, std::string> ipByName;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        auto j = nlohmann::json::parse(line);
        ipByName[j.contains("port") ? j["port"] : j["host"]] = j["config"]["ipAddress"];
    }
    EXPECT_EQ(ipByName[serial.config(0).comPort], "10.168.255.1");
    EXPECT_EQ(ipByName[network.config(1).agentHost], "192.168.255.1");
}

} // namespace
} // namespace varnadex

namespace varnadex {
namespace {

// Backup and restore: whatever a converter holds that a read keeps, a write of the file puts
// back in the same registers, the values no settings dialog would offer included.
TEST_F(CliAgainstSimulator, ABackupRestoresEveryRegisterOfAnotherConverter) {
    Converter source, target;
    ASSERT_TRUE(source.ok && target.ok);
    auto odd = registerImage(edited(ConverterConfig{}));
    odd[44] = 0x20;           // a data format no list entry has
    odd[56] = 250;            // keep-alive 25 s
    odd[57] = 5;              // network timeout below 15
    odd[33] = 0, odd[32] = 0; // remote port 0
    const std::uint8_t community[] = {0x81, 0x98, 0x00, '"', 0x1B, 0xFF, 'a', '\\', 0x7F, 0x90};
    odd[80] = sizeof community;
    std::copy(std::begin(community), std::end(community), odd.begin() + 81);
    odd[101] = 0x00;
    source.memory.load(odd);

    const std::string saved = (dir / "backup.json").string();
    ASSERT_EQ(run(source, {"--port", source.config(0).comPort, "read", "--output", saved}), 0)
        << err.str();
    ASSERT_EQ(run(target, {"--lang", "en", "--host", target.config(1).agentHost, "--enable-mac",
                           "write", saved}),
              0)
        << err.str();
    EXPECT_NE(err.str().find("warning: \"networkTimeout\" is 5"), std::string::npos) << err.str();
    const auto restored = target.memory.snapshot();
    for (const Field* field : registerMap()) {
        const Field& f = *field;
        const int count = f.rule == Rule::Community ? 1 + odd[80] : f.count;
        for (int a = f.first; a < f.first + count; ++a)
            EXPECT_EQ(restored[a], odd[a]) << f.name << " register " << a;
    }
}

// The data-format text decides what is written; a code beside it may only confirm it or be
// the converter's own unknown code.
TEST_F(CliAgainstSimulator, TheDataFormatTextDecidesTheCode) {
    Converter converter;
    ASSERT_TRUE(converter.ok);
    const std::string base = configToJson([] {
        ConverterConfig c;
        c.applyLateDefaults();
        return c;
    }());
    struct Row {
        std::string format; // replaces "dataFormat": "8N1", code member included
        int status;
        int written; // register 44 afterwards
    };
    const Row rows[] = {
        {"\"dataFormat\": \"7E1\", \"dataFormatCode\": 0", 2, -1}, // read as 8N1, edited to 7E1
        {"\"dataFormat\": \"7E1\", \"dataFormatCode\": 49", 0, 0x31},
        {"\"dataFormat\": \"7M1\", \"dataFormatCode\": 16", 0, 0x10},
        {"\"dataFormat\": \"8N1\", \"dataFormatCode\": 32", 0, 0x20}, // kept from the converter
        {"\"dataFormat\": \"8O1\"", 0, 0xC2},
    };
    for (const auto& r : rows) {
        std::string text = base;
        const auto from = text.find("\"dataFormat\"");
        const auto to = text.find('\n', text.find("\"dataFormatCode\""));
        text.replace(from, to - from, r.format + ",");
        const auto path = (dir / "format.json").string();
        std::ofstream(path) << text;
        converter.memory.write(44, 0xEE);
        EXPECT_EQ(run(converter,
                      {"--lang", "en", "--host", converter.config(1).agentHost, "write", path}),
                  r.status)
            << r.format << err.str();
        if (r.status == 2) {
            EXPECT_NE(err.str().find("dataFormatCode"), std::string::npos) << err.str();
            EXPECT_EQ(converter.memory.read(44), 0xEE) << "nothing sent";
        } else {
            EXPECT_EQ(converter.memory.read(44), r.written) << r.format;
        }
    }
}

} // namespace
} // namespace varnadex
