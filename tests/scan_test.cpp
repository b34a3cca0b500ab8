// Finding converters among many addresses, in virtual time: the targets a command line names,
// the scanner's schedule, pacing and verdicts, and the scan command's output.
#include "cli/ScanCommand.h"
#include "snmp/Scanner.h"
#include "tests/scan_support.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace varnadex::test {
namespace {

using namespace std::chrono_literals;

constexpr Ipv4Address ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    return a << 24 | b << 16 | c << 8 | d;
}

// --- targets ---------------------------------------------------------------------------------

TargetSources fakeSources() {
    TargetSources s;
    s.resolve = [](const std::string& name) {
        if (name == "fleet.test")
            return std::vector<Ipv4Address>{ip(127, 5, 0, 1), ip(127, 5, 0, 2)};
        return std::vector<Ipv4Address>{};
    };
    s.readFile = [](const std::string& path, std::string& error) -> std::optional<std::string> {
        if (path == "list")
            return "# converters of hall 2\n127.5.0.9\n\n  127.5.0.1  # again\r\n127.5.1.0/31\n";
        if (path == "nested") return "@list\n";
        if (path == "bad") return "127.5.0.1\n127.5.0.300\n";
        error = "No such file or directory";
        return std::nullopt;
    };
    return s;
}

const MessageCatalogue& english() {
    static const MessageCatalogue catalogue = [] {
        MessageCatalogue c;
        c.fill(1);
        return c;
    }();
    return catalogue;
}

TEST(ScanTargets, ExpandsEveryFormInOrderOnce) {
    const auto list =
        expandTargets({"127.5.0.4/30", "fleet.test", "@list", "127.5.0.5"}, fakeSources());
    ASSERT_TRUE(list.ok()) << english().say(*list.problem);
    const std::vector<Ipv4Address> expected = {
        ip(127, 5, 0, 4), ip(127, 5, 0, 5), ip(127, 5, 0, 6), ip(127, 5, 0, 7), // host bits ignored
        ip(127, 5, 0, 1), ip(127, 5, 0, 2), ip(127, 5, 0, 9), ip(127, 5, 1, 0), ip(127, 5, 1, 1)};
    EXPECT_EQ(list.addresses, expected);
    EXPECT_EQ(expandTargets({"127.5.0.0/16"}, fakeSources()).addresses.size(), 65536u);
    EXPECT_EQ(expandTargets({"127.5.0.7/32"}, fakeSources()).addresses,
              std::vector<Ipv4Address>{ip(127, 5, 0, 7)});
}

TEST(ScanTargets, RefusesWhatCannotBeScanned) {
    const struct {
        const char* target;
        const char* why;
    } cases[] = {
        {"127.0.0.0/15", "wider than /16"},
        {"127.5.0.0/33", "at most /32"},
        {"127.5.0.0/", "not a CIDR range"},
        {"127.5.0.0/x", "not a CIDR range"},
        {"127.5.0.300", "not an IPv4 address"},
        {"127.5.0", "not an IPv4 address"},
        {"nowhere.test", "unknown host"},
        {"@missing", "No such file"},
        {"@nested", "cannot name another file"},
        {"@bad", "bad:2: \"127.5.0.300\""},
        {"", "not an address"},
    };
    for (const auto& c : cases) {
        const auto list = expandTargets({"127.5.0.1", c.target}, fakeSources());
        EXPECT_FALSE(list.ok()) << c.target;
        const std::string said = list.problem ? english().say(*list.problem) : "";
        EXPECT_NE(said.find(c.why), std::string::npos) << c.target << ": " << said;
        EXPECT_TRUE(list.addresses.empty()) << c.target;
    }
}

// --- the scanner -----------------------------------------------------------------------------

class ScannerTest : public ::testing::Test {
protected:
    std::map<Ipv4Address, ScanFinding> scan(const std::vector<Ipv4Address>& addresses,
                                            unsigned rate = 1000) {
        Scanner scanner(socket, clock, {161, "kelvin", rate});
        started = clock.now();
        std::map<Ipv4Address, ScanFinding> found;
        EXPECT_EQ(scanner.run(addresses,
                              [&](const ScanFinding& f) {
                                  EXPECT_TRUE(found.emplace(f.address, f).second);
                                  settledAt[f.address] = clock.now() - started;
                              }),
                  ScanEnd::Finished);
        EXPECT_EQ(found.size(), addresses.size());
        return found;
    }

    FakeClock clock;
    FakeProbeSocket socket{clock};
    Millis started{};
    std::map<Ipv4Address, Millis> settledAt;
};

TEST_F(ScannerTest, TellsConvertersFromEverythingElse) {
    const Ipv4Address converter = ip(127, 6, 0, 1), silent = ip(127, 6, 0, 2),
                      refusing = ip(127, 6, 0, 3), stranger = ip(127, 6, 0, 4);
    auto& host = socket.agent(converter);
    const std::uint8_t regs[] = {0x00, 0x50, 0xC2, 0xAB, 0xC0, 0x00, 127, 6, 0,
                                 1,    255,  255,  255,  0,    127,  6,   0, 254};
    for (std::uint8_t i = 0; i < 18; ++i)
        host.memory->write(static_cast<std::uint8_t>(10 + i), regs[i]);
    socket.refusing(refusing);
    // An agent that knows no such object answers with noSuchName.
    sim::SnmpFaults noSuchName;
    noSuchName.errorStatus = true;
    socket.agent(stranger, noSuchName);

    auto found = scan({converter, silent, refusing, stranger});
    EXPECT_EQ(found[converter].status, ScanStatus::Converter);
    EXPECT_EQ(found[converter].firmware, "2.2");
    EXPECT_EQ(found[converter].value("macAddress"), "0050C2ABC000");
    EXPECT_EQ(found[converter].value("ipAddress"), "127.6.0.1");
    EXPECT_EQ(found[converter].value("subnetMask"), "255.255.255.0");
    EXPECT_EQ(found[converter].value("gatewayAddress"), "127.6.0.254");
    EXPECT_EQ(found[silent].status, ScanStatus::NoAnswer);
    EXPECT_EQ(found[refusing].status, ScanStatus::Refused);
    EXPECT_EQ(found[stranger].status, ScanStatus::NotAConverter);
    // Each answered at once: one version request and one read per register, nothing more.
    EXPECT_EQ(socket.sentTo(converter).size(), 19u);
    EXPECT_EQ(socket.sentTo(refusing).size(), 1u);
    EXPECT_EQ(socket.sentTo(stranger).size(), 1u);
}

TEST_F(ScannerTest, SilentAddressGetsTheFiveAttemptScheduleAndTheScanEndsWithIt) {
    const Ipv4Address silent = ip(127, 6, 0, 2);
    scan({silent});
    const auto sends = socket.sentTo(silent);
    ASSERT_EQ(sends.size(), 5u);
    const Millis at[] = {0ms, 20ms, 240ms, 660ms, 1280ms};
    std::set<std::uint8_t> ids;
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(sends[i].at - started, at[i]);
        ids.insert(sends[i].bytes.at(6 + 16)); // n = 6
    }
    EXPECT_EQ(ids.size(), 5u) << "each attempt has its own request-id";
    EXPECT_EQ(settledAt[silent], AttemptSchedule::quickTotal());
    EXPECT_EQ(clock.now() - started, AttemptSchedule::quickTotal());
}

TEST_F(ScannerTest, SlowConverterIsTakenAtItsFirstAnswerWithOneRequestAtATime) {
    // Slower than the first window: the first attempt's answer comes during the second.
    const Ipv4Address slow = ip(127, 6, 0, 7);
    socket.agent(slow, {}, 30ms);
    auto found = scan({slow});
    EXPECT_EQ(found[slow].status, ScanStatus::Converter);
    EXPECT_TRUE(found[slow].value("gatewayAddress").has_value());
    const auto sends = socket.sentTo(slow);
    // The first request goes out twice (the second attempt at 20 ms); its answer teaches the
    // round trip, and every later request goes once, as soon as the answer before it is in.
    ASSERT_EQ(sends.size(), 20u);
    EXPECT_EQ(sends[1].at - sends[0].at, 20ms);
    EXPECT_EQ(sends[2].at - sends[0].at, 30ms);
    for (std::size_t i = 3; i < sends.size(); ++i)
        EXPECT_EQ(sends[i].at - sends[i - 1].at, 30ms) << i;
}

TEST_F(ScannerTest, ProbesKeepToTheRate) {
    std::vector<Ipv4Address> addresses;
    for (unsigned i = 0; i < 300; ++i)
        addresses.push_back(ip(127, 6, 1, 0) + i);
    scan(addresses, 1000);
    ASSERT_EQ(socket.sent.size(), 1500u);
    // At most a hundredth of a second's worth at once, then one a millisecond.
    for (std::size_t i = 0; i < socket.sent.size(); ++i) {
        const auto elapsed = (socket.sent[i].at - started).count();
        EXPECT_LE(static_cast<long long>(i), 10 + elapsed) << i;
    }
}

// --- the command -----------------------------------------------------------------------------

class ScanCommandTest : public ::testing::Test {
protected:
    int run(ScanRequest request) {
        out.str("");
        err.str("");
        CliEnvironment env{"varnadex-cli",   out, err, false, {}, clock, &interruption,
                           [] { return 15; }};
        return runScan(request, english(), env, socket, fakeSources());
    }

    FakeClock clock;
    FakeProbeSocket socket{clock};
    Interruption interruption;
    std::ostringstream out, err;
};

TEST_F(ScanCommandTest, WritesOneJsonLinePerConverterAndWithAllOnePerAddress) {
    auto& host = socket.agent(ip(127, 5, 0, 2));
    for (std::uint8_t r = 10; r < 28; ++r)
        host.memory->write(r, static_cast<std::uint8_t>(r));
    ScanRequest request;
    request.targets = {"127.5.0.2/31"};
    EXPECT_EQ(run(request), 0);
    EXPECT_EQ(out.str(), "{\"host\": \"127.5.0.2\", \"port\": 161, \"firmware\": \"2.2\", "
                         "\"macAddress\": \"0A0B0C0D0E0F\", \"ipAddress\": \"16.17.18.19\", "
                         "\"subnetMask\": \"20.21.22.23\", \"gatewayAddress\": \"24.25.26.27\"}\n");
    request.all = true;
    EXPECT_EQ(run(request), 0);
    EXPECT_NE(
        out.str().find("{\"host\": \"127.5.0.3\", \"port\": 161, \"status\": \"no-answer\"}\n"),
        std::string::npos);
}

TEST_F(ScanCommandTest, TextTableEndsWithTheCount) {
    socket.agent(ip(127, 5, 0, 2));
    ScanRequest request;
    request.targets = {"127.5.0.0/30"};
    request.format = "text";
    EXPECT_EQ(run(request), 0);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("HOST", 0), 0u);
    EXPECT_NE(text.find("127.5.0.2 "), std::string::npos);
    EXPECT_NE(text.find("\n1 converters in 4 addresses, 2.1 s\n"), std::string::npos) << text;
}

TEST_F(ScanCommandTest, BadInputIsUsageAndStoppingIsTheSignalsStatus) {
    const struct {
        std::vector<std::string> targets;
        unsigned rate;
        const char* format;
        std::string community;
    } bad[] = {
        {{"127.0.0.0/8"}, 1000, "json", "kelvin"},
        {{}, 1000, "json", "kelvin"},
        {{"127.5.0.1"}, 0, "json", "kelvin"},
        {{"127.5.0.1"}, 1000, "xml", "kelvin"},
        {{"127.5.0.1"}, 1000, "json", std::string(55, 'c')},
    };
    for (const auto& b : bad) {
        ScanRequest request;
        request.targets = b.targets;
        request.rate = b.rate;
        request.format = b.format;
        request.community = b.community;
        EXPECT_EQ(run(request), 2) << err.str();
        EXPECT_TRUE(socket.sent.empty());
    }
    ScanRequest request;
    request.targets = {"127.5.0.1"};
    interruption.request();
    EXPECT_EQ(run(request), 128 + 15);
}

} // namespace
} // namespace varnadex::test
