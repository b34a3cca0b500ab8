#include "cli/CliApp.h"
#include "config/ConfigFile.h"
#include "config/RegisterMap.h"
#include "support/FakeClock.h"
#include "support/MemoryLink.h"
#include "support/TestResolver.h"

#include "app/MessageSink.h"
#include "config/ConfigProcedures.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace varnadex {
namespace {

namespace fs = std::filesystem;

// Operations over a converter in memory, through the real procedures.
class MemoryOperations : public IOperations {
public:
    MemoryOperations(IMessageSink& sink, const MessageCatalogue& catalogue, test::MemoryLink& link)
        : sink_(sink), catalogue_(catalogue), procedures_(sink, catalogue), link_(link) {}
    bool ReadConf(ConverterConfig& c) override {
        lastAccessMode = c.accessMode;
        return procedures_.ReadConf(c, link_) == OpResult::Ok;
    }
    bool WriteConf(ConverterConfig& c) override {
        lastAccessMode = c.accessMode;
        const auto before = link_.regs;
        const bool ok = procedures_.WriteConf(c, link_) == OpResult::Ok;
        // A converter that does not keep one register.
        if (ignoredRegister) link_.regs[*ignoredRegister] = before[*ignoredRegister];
        return ok;
    }
    bool Reset(ConverterConfig&) override {
        // As the serial reset does when the frame cannot be written.
        if (!link_.openOk) sink_.note(catalogue_.extra(ExtraMsg::RestartNotSent));
        return link_.openOk;
    }
    // A download of two ticks, whose last one shows the verdict.
    bool FirmwareStart(ConverterConfig&, const std::string&) override {
        ticks_ = 0;
        return link_.openOk;
    }
    bool FirmwareTick() override {
        if (++ticks_ < 2) return true;
        sink_.show(MessageKind::Plain, catalogue_.text(Msg::FirmwareSuccess));
        return false;
    }
    void FirmwareAbort() override {}
    bool firmwareRunning() const override { return false; }
    FirmwareProgress firmwareProgress() const override {
        return {2, ticks_, 1000u * static_cast<unsigned>(ticks_), 2000};
    }
    bool firmwareSucceeded() const override { return true; }
    inline static int lastAccessMode = -1;
    inline static std::optional<std::uint8_t> ignoredRegister;

private:
    IMessageSink& sink_;
    const MessageCatalogue& catalogue_;
    int ticks_ = 0;
    ConfigProcedures procedures_;
    test::MemoryLink& link_;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        link.regs = registerImage(ConverterConfig{});
        MemoryOperations::ignoredRegister.reset();
    }

    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        CliEnvironment env{(dir / "varnadex-cli").string(),
                           out,
                           err,
                           terminal,
                           [this](IMessageSink& s, const MessageCatalogue& c) {
                               if (onMake) onMake();
                               return std::make_unique<MemoryOperations>(s, c, link);
                           },
                           clock,
                           &interruption};
        env.resolve = test::loopbackResolver;
        env.fitJobs = [](unsigned jobs) { return jobs; };
        return runCli(args, env);
    }
    std::string file(const std::string& name, const std::string& content) {
        auto p = dir / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }

    test::ScratchDir scratch{"varnadex-cli"};
    const fs::path& dir = scratch.path;
    bool terminal = false;
    std::ostringstream out, err;
    test::MemoryLink link;
    test::FakeClock clock;
    Interruption interruption;
    std::function<void()> onMake;
    std::size_t writes() const {
        return static_cast<std::size_t>(std::count_if(
            link.log.begin(), link.log.end(), [](const std::string& s) { return s[0] == 'w'; }));
    }
};

TEST_F(Cli, ReadPrintsOnlyTheConfigurationOnStandardOutput) {
    link.regs[16] = 10;
    EXPECT_EQ(run({"--lang", "en", "--port", "/dev/null", "read"}), 0);
    auto parsed = parseConfigFile(out.str());
    ASSERT_TRUE(parsed.config) << out.str();
    EXPECT_EQ(parsed.config->ipAddress, "10.168.255.1");
    EXPECT_NE(out.str().find("\"firmwareVersion\": \"2.2\""), std::string::npos);
    EXPECT_EQ(err.str(), "Done\n");
    EXPECT_EQ(MemoryOperations::lastAccessMode, 0);

    EXPECT_EQ(run({"--lang", "hu", "--host", "127.0.0.1:1161", "read", "--format", "text"}), 0);
    EXPECT_NE(out.str().find("ipAddress:"), std::string::npos);
    EXPECT_EQ(err.str(), "Kész\n");
    EXPECT_EQ(MemoryOperations::lastAccessMode, 1);
}

TEST_F(Cli, JsonRoundTrip) {
    link.regs[44] = 0xC1;
    link.regs[80] = 4;
    link.regs[59] = 1;
    const std::string saved = (dir / "conf.json").string();
    ASSERT_EQ(run({"--port", "x", "read", "--output", saved}), 0);
    EXPECT_TRUE(out.str().empty());
    auto first = link.regs;
    link.regs.fill(0);
    ASSERT_EQ(run({"--port", "x", "write", saved}), 0) << err.str();
    // The MAC address is not written without --enable-mac; everything else is back.
    for (int a = 10; a <= 15; ++a)
        link.regs[a] = first[a];
    for (int a : {16, 44, 59, 80, 81, 84, 101})
        EXPECT_EQ(link.regs[a], first[a]) << a;
    ASSERT_EQ(run({"--port", "x", "read"}), 0);
    std::ifstream in(saved);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(out.str(), s.str());
}

TEST_F(Cli, RefusedFilesSendNothing) {
    const std::string good = configToJson(ConverterConfig{});
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        auto pos = t.find(from);
        EXPECT_NE(pos, std::string::npos) << from;
        return t.replace(pos, from.size(), to);
    };
    struct Row {
        std::string content;
        std::string mentions;
    };
    const Row rows[] = {
        {"{ not json", "not valid JSON"},
        {"[1,2]", "one JSON object"},
        {replace("\"ipAddress\"", "\"ipAdress\""), "ipAdress"},
        // Only what the registers cannot hold is refused.
        {replace("\"networkTimeout\": 60", "\"networkTimeout\": 256"), "networkTimeout"},
        {replace("\"keepAliveTimer\": 10", "\"keepAliveTimer\": 26"), "keepAliveTimer"},
        {replace("\"protocol\": 0", "\"protocol\": -1"), "protocol"},
        {replace("\"networkDelay\": 0", "\"networkDelay\": 3"), "networkDelay"},
        {replace("\"networkTimeout\": 60", "\"networkTimeout\": 1e400"), "networkTimeout"},
        {replace("\"networkTimeout\": 60", "\"networkTimeout\": " + std::string(400, '9')),
         "networkTimeout"},
        {replace("\"protocol\": 0", "\"protocol\": 18446744073709551615"), "protocol"},
        {replace("\"protocol\": 0", "\"protocol\": 0, \"protocol\": 1"), "given twice"},
        {replace("\"protocol\": 0", "\"protocol\": [0]"), "protocol"},
        {replace("\"dataFormat\": \"8N1\"", "\"dataFormat\": \"7E1\", \"dataFormatCode\": 193"),
         "dataFormatCode"},
        {replace("\"protocol\": 0", "\"protocol\": \"0\""), "protocol"},
        {replace("\"dataFormat\": \"8N1\"", "\"dataFormat\": \"9N1\""), "dataFormat"},
        {replace("\"snmpCommunity\": \"kelvin\"", "\"snmpCommunity\": \"elevenchars\""),
         "snmpCommunity"},
        {replace("\"patternChar\": \"7E\"", "\"patternChar\": \"7E7\""), "patternChar"},
        {replace("\"ipAddress\": \"192.168.255.1\"", "\"ipAddress\": 5"), "ipAddress"},
        {replace("\"ipAddress\": \"192.168.255.1\",", ""), "ipAddress"},
        {replace("\"remoteAddress\": \"192.168.255.2\"", "\"remoteAddress\": \"1..2.3\""),
         "Remote Address"},
        {replace("\"localPort\": \"10000\"", "\"localPort\": \"70000\""), "Local Port"},
    };
    for (const auto& r : rows) {
        auto path = file("bad.json", r.content);
        link.log.clear();
        EXPECT_EQ(run({"--lang", "en", "--port", "x", "write", path}), 2) << r.content;
        EXPECT_TRUE(link.log.empty());
        EXPECT_NE(err.str().find(r.mentions), std::string::npos) << err.str();
    }
    EXPECT_EQ(run({"--port", "x", "write", (dir / "missing.json").string()}), 2);
}

TEST_F(Cli, UsageAndExitCodes) {
    EXPECT_EQ(run({"read"}), 2);
    EXPECT_EQ(run({"--port", "a", "--host", "b", "read"}), 2);
    EXPECT_EQ(run({"--port", "a"}), 2);
    EXPECT_EQ(run({"--host", "h", "firmware", "f.qfw"}), 2);
    EXPECT_EQ(run({"--port", "a", "write"}), 2);
    EXPECT_EQ(run({"--port", "a", "read", "--format", "xml"}), 2);
    EXPECT_EQ(run({"--lang", "de", "--port", "a", "read"}), 2);
    EXPECT_EQ(run({"--lang", "en", "--host", "10.0.0.1:http", "read"}), 2);
    EXPECT_NE(err.str().find("Wrong port number after the host name"), std::string::npos);
    EXPECT_EQ(run({"--host", "10.0.0.1:70000", "reset"}), 2);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("usage:"), std::string::npos);
    EXPECT_TRUE(link.log.empty());

    link.failAt = 0;
    EXPECT_EQ(run({"--lang", "en", "--port", "a", "read"}), 1);
    EXPECT_TRUE(out.str().empty()); // nothing half-read is printed
    EXPECT_EQ(err.str(), "Communication error! Press Conf key on equipment or check the cable.\n");
    link.openOk = false;
    EXPECT_EQ(run({"--lang", "en", "--port", "a", "reset"}), 1);
    EXPECT_EQ(err.str(), "varnadex-cli: Couldn't send the restart frame to the COM port.\n");
}

TEST_F(Cli, Ipv6HostsAreBadInput) {
    for (const char* host : {"::1", "[::1]:161", "fe80::1"}) {
        EXPECT_EQ(run({"--lang", "en", "--host", host, "read"}), 2) << host;
        EXPECT_EQ(err.str().rfind("IPv6 is not supported", 0), 0u) << err.str();
    }
    EXPECT_TRUE(link.log.empty());
}

TEST_F(Cli, TheVerdictEndsTheProgressLineOnATerminal) {
    auto path = file("image.qfw", std::string(2018, 'i'));
    terminal = true;
    EXPECT_EQ(run({"--lang", "en", "--port", "a", "firmware", path}), 0);
    const std::string e = err.str();
    EXPECT_EQ(std::count(e.begin(), e.end(), '\r'), 1) << e;
    const std::string verdict = "left \nFirmware download was successfull\n";
    ASSERT_GE(e.size(), verdict.size());
    EXPECT_EQ(e.substr(e.size() - verdict.size()), verdict) << e;
}

TEST_F(Cli, FirmwareFileWithoutImageIsRefusedBeforeThePortOpens) {
    auto path = file("tiny.qfw", std::string(18, 'h'));
    EXPECT_EQ(run({"--lang", "en", "--port", "a", "firmware", path}), 2);
    EXPECT_NE(err.str().find("holds no firmware image"), std::string::npos);
    const std::string none = (dir / "none.qfw").string();
    EXPECT_EQ(run({"--lang", "en", "--port", "a", "firmware", none}), 2);
    EXPECT_EQ(err.str(), "Couldn't open the firmware file \"" + echoedValue(none) + "\".\n");
}

// diff, apply and verify compare what a write would store, never the texts.
TEST_F(Cli, DiffAndApplyCompareRegisterForm) {
    ConverterConfig onConverter;
    onConverter.applyLateDefaults();
    onConverter.patternChar = "A5";
    onConverter.dataFormat = "7N2";
    onConverter.dataFormatCode = 0x10;
    link.regs = registerImage(onConverter);
    struct Row {
        const char* field;
        std::string value;
        std::vector<std::string> flags;
        const char* differs; // the one field diff names, or nothing
    };
    const Row rows[] = {
        {"patternChar", "\"a5\"", {}, nullptr},
        {"dataFormat", "\"7M1\"", {}, nullptr},
        {"macAddress", "\"00A0B1C2D3E4\"", {}, nullptr},
        {"macAddress", "\"00A0B1C2D3E4\"", {"--enable-mac"}, "macAddress"},
        {"firmwareVersion", "\"0.1\"", {}, nullptr},
        {"ipAddress", "\"10.0.0.7\"", {}, "ipAddress"},
        {"networkTimeout", "61", {}, "networkTimeout"},
        {"snmpCommunity", "\"public\"", {}, "snmpCommunity"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.field) + " " + r.value);
        auto text = configToJson(onConverter);
        const std::string key = std::string(1, '"').append(r.field).append("\": ");
        const auto at = text.find(key) + key.size();
        text.replace(at, text.find_first_of(",\n", at) - at, r.value);
        const auto path = file("conf.json", text);
        const auto regs = link.regs;
        auto args = [&](std::vector<std::string> a) {
            a.insert(a.begin(), {"--lang", "en", "--port", "x"});
            a.insert(a.end(), r.flags.begin(), r.flags.end());
            return a;
        };

        link.log.clear();
        EXPECT_EQ(run(args({"diff", path})), r.differs ? 3 : 0);
        EXPECT_EQ(writes(), 0u);
        const std::string expected = r.differs ? std::string(r.differs) + ": " : "";
        EXPECT_EQ(out.str().substr(0, expected.size()), expected) << out.str();
        if (!r.differs) {
            EXPECT_EQ(out.str(), "");
        }

        EXPECT_EQ(run(args({"apply", path, "--format", "json"})), 0) << err.str();
        EXPECT_EQ(out.str(),
                  r.differs ? "{\"status\":\"changed\"}\n" : "{\"status\":\"unchanged\"}\n");
        EXPECT_EQ(writes(), r.differs ? (r.flags.empty() ? 58u : 64u) : 0u);
        EXPECT_EQ(err.str(), "Done\n");
        EXPECT_EQ(run(args({"apply", path})), 0);
        EXPECT_EQ(out.str(), "unchanged\n");
        link.regs = regs;
    }
}

TEST_F(Cli, VerifyNamesTheFieldThatDidNotTake) {
    ConverterConfig wanted;
    wanted.ipAddress = "10.0.0.7";
    const auto path = file("conf.json", configToJson(wanted));
    MemoryOperations::ignoredRegister = 17; // the IP address's second byte
    EXPECT_EQ(run({"--lang", "en", "--port", "x", "write", path}), 0);
    EXPECT_EQ(run({"--lang", "en", "--port", "x", "write", "--verify", path}), 1);
    EXPECT_NE(err.str().find("does not hold what was written in: ipAddress."), std::string::npos)
        << err.str();
    EXPECT_EQ(run({"--lang", "en", "--port", "x", "apply", path}), 1);
    EXPECT_EQ(run({"--lang", "en", "--port", "x", "set", "ipAddress=10.9.9.9"}), 1);
    MemoryOperations::ignoredRegister.reset();
    EXPECT_EQ(run({"--lang", "en", "--port", "x", "write", "--verify", path}), 0) << err.str();
}

TEST_F(Cli, SetChangesOnlyTheNamedFieldsWithTheFilesChecks) {
    link.regs[57] = 200;
    EXPECT_EQ(
        run({"--port", "x", "set", "ipAddress=10.1.2.3", "keepAliveTimer=5", "dataFormat=8E1"}), 0)
        << err.str();
    EXPECT_EQ(link.regs[16], 10);
    EXPECT_EQ(link.regs[56], 50);
    EXPECT_EQ(link.regs[44], 0xC1);
    EXPECT_EQ(link.regs[57], 200); // read, and written back as it was

    for (std::vector<std::string> bad : {
             std::vector<std::string>{"set", "nosuchField=1"},
             {"set", "networkTimeout=256"},
             {"set", "networkTimeout=ten"},
             {"set", "ipAddress=1..2.3"},
             {"set", "dataFormat=9N1"},
             {"set", "macAddress=00A0B1C2D3E4"}, // not written without --enable-mac
             {"set", "firmwareVersion=3.0"},
             {"set", "ipAddress"},
         }) {
        link.log.clear();
        bad.insert(bad.begin(), {"--lang", "en", "--port", "x"});
        EXPECT_EQ(run(bad), 2) << bad.back();
        EXPECT_TRUE(link.log.empty()) << bad.back();
    }
}

TEST_F(Cli, WholeRunOptionsStandBeforeOrAfterTheCommand) {
    EXPECT_EQ(run({"read", "--port", "x", "--lang", "hu", "/ENABLEMAC"}), 0);
    EXPECT_EQ(err.str(), "Kész\n");
    EXPECT_EQ(run({"--host", "127.0.0.1", "--community", "/ENABLEMAC", "read"}), 0);
    EXPECT_EQ(run({"diff", "--help"}), 0);
    EXPECT_NE(out.str().find("usage: varnadex-cli diff"), std::string::npos) << out.str();
    EXPECT_EQ(run({"--hosts", "h.csv", "--port", "x", "read"}), 2);
    EXPECT_EQ(run({"--port", "x", "--jobs", "0", "read"}), 2);
}

TEST_F(Cli, StoppedBatchFinishesTheConverterInFlightAndStartsNoOther) {
    const auto hosts =
        file("hosts.csv", "host,ipAddress\n127.0.0.1:1161,10.0.0.1\n127.0.0.2,10.0.0.2\n"
                          "127.0.0.3,10.0.0.3\n");
    const auto conf = file("conf.json", configToJson(ConverterConfig{}));
    int made = 0;
    onMake = [&] {
        if (++made == 2) interruption.request(); // Ctrl-C during the second converter
    };
    EXPECT_EQ(run({"--lang", "en", "--hosts", hosts, "--jobs", "1", "apply", conf}), 130);
    EXPECT_EQ(link.regs[16], 10);
    EXPECT_EQ(link.regs[19], 2); // the second converter's write went to its end
    std::istringstream lines(out.str());
    std::vector<nlohmann::json> parsed;
    for (std::string line; std::getline(lines, line);)
        parsed.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(parsed.size(), 2u) << out.str();
    EXPECT_EQ(parsed[0]["host"], "127.0.0.1:1161");
    EXPECT_EQ(parsed[1]["status"], "changed");
    EXPECT_NE(err.str().find("1 not started"), std::string::npos) << err.str();
}

TEST_F(Cli, BadHostListSendsNothing) {
    const auto conf = file("conf.json", configToJson(ConverterConfig{}));
    for (const char* list : {
             "host\n127.0.0.1\n127.0.0.1\n",           // one converter twice
             "host,ipAddress\n127.0.0.1,10.0.0.256\n", // a value no write can store
             "host,nosuchField\n127.0.0.1,1\n",
             "address\n127.0.0.1\n",
             "host\n127.0.0.1:http\n",
             "host,port\n127.0.0.1,/dev/ttyS0\n",
         }) {
        link.log.clear();
        EXPECT_EQ(run({"--hosts", file("hosts.csv", list), "apply", conf}), 2) << list;
        EXPECT_TRUE(link.log.empty()) << list;
        EXPECT_TRUE(out.str().empty()) << list;
    }
}

// What the user gave is echoed cut to 40 characters and escaped, in every message: a 100 KB
// option or an 8 MB column name gives a line, not a screenful, and no control character
// reaches the terminal.
TEST_F(Cli, EveryEchoedValueIsCutAndEscaped) {
    const std::string control = "\x1b[2J\x07";
    const std::string option = "--" + std::string(100000, 'z') + control;
    const std::string column = std::string(8 << 20, 'c') + control;
    const std::string name = std::string(200, 'h');
    const std::vector<std::vector<std::string>> rows = {
        {option, "--port", "a", "read"},
        {"--port", "a", "set", std::string(5000, 'f') + control + "=1"},
        {"--hosts", file("twice.csv", "host," + column + "," + column + "\n127.0.0.1,1,1\n"),
         "read"},
        {"--hosts", file("unknown.csv", "host," + column + "\n127.0.0.1,1\n"), "read"},
        {"--hosts", file("listed.csv", "host\n" + name + "\n" + name + "\n"), "read"},
        {"scan", "@" + std::string(3000, 'p') + control},
        {"scan", std::string(200, 'u') + ".test"},
    };
    for (const auto& args : rows) {
        EXPECT_EQ(run(args), 2) << err.str().substr(0, 200);
        EXPECT_LT(err.str().size(), 600u) << err.str().substr(0, 600);
        EXPECT_EQ(err.str().find_first_of("\x1b\x07"), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("\u2026"), std::string::npos) << err.str();
    }
    EXPECT_TRUE(link.log.empty());
}

// The batch's summary and the list's and the scan's complaints speak the run's language.
TEST_F(Cli, ListsAndScansSpeakHungarian) {
    const auto conf = file("conf.json", configToJson(ConverterConfig{}));
    EXPECT_EQ(run({"--lang", "hu", "--hosts", file("h.csv", "address\n1.2.3.4\n"), "apply", conf}),
              2);
    EXPECT_NE(err.str().find("1. sor: nincs \"host\" vagy \"port\" oszlop"), std::string::npos)
        << err.str();
    EXPECT_EQ(run({"--lang", "hu", "scan", "10.0.0.0/8"}), 2);
    EXPECT_NE(err.str().find("tágabb, mint /16"), std::string::npos) << err.str();
    link.failAt = 0;
    EXPECT_EQ(run({"--lang", "hu", "--hosts", file("ok.csv", "port\na\nb\n"), "read"}), 1);
    EXPECT_NE(err.str().find("2 konverter: 2 sikertelen"), std::string::npos) << err.str();
}

} // namespace
} // namespace varnadex
