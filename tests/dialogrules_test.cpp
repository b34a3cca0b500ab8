#include "config/DialogRules.h"
#include "config/Fields.h"

#include <gtest/gtest.h>

#include <optional>

using namespace varnadex;

namespace {

TEST(DialogRules, ByteFieldsParseFirstThenCheckTheRange) {
    const char* const byteMsg = "Please enter an integer between 0 and 255.";
    const std::string keepAliveMsg = "Please enter an integer between 0 and 10.";
    const std::string timeoutMsg = "Please enter an integer between 15 and 255.";
    struct Row {
        const char* text;
        std::uint8_t low, high;
        std::optional<int> value;
        std::string message;
    };
    const Row rows[] = {
        {"0", 0, 10, 0, ""},
        {" \t7\t ", 0, 10, 7, ""},
        {"007", 0, 10, 7, ""},
        {"11", 0, 10, {}, keepAliveMsg},
        {"255", 0, 10, {}, keepAliveMsg},
        {"14", 15, 255, {}, timeoutMsg},
        {"255", 15, 255, 255, ""},
        // No unsigned decimal byte at all: the 0-255 message whatever the range.
        {"256", 15, 255, {}, byteMsg},
        {"300", 0, 10, {}, byteMsg},
        {"", 0, 10, {}, byteMsg},
        {" \t ", 0, 10, {}, byteMsg},
        {"-1", 0, 10, {}, byteMsg},
        {"-0", 0, 10, {}, byteMsg},
        {"+5", 0, 10, {}, byteMsg},
        {"abc", 0, 10, {}, byteMsg},
        {"1 2", 0, 10, {}, byteMsg},
        {"\n5", 0, 10, {}, byteMsg},
        // Long enough to wrap a 32-bit value that is not checked as it grows.
        {"4294967296", 0, 10, {}, byteMsg},
        {"99999999999999999999999", 0, 10, {}, byteMsg},
    };
    for (const Row& r : rows) {
        const ByteCheck got = checkByteField(r.text, r.low, r.high);
        EXPECT_EQ(got.message, r.message) << '"' << r.text << '"';
        EXPECT_EQ(got.value, r.value ? std::optional<std::uint8_t>(*r.value) : std::nullopt)
            << '"' << r.text << '"';
    }
}

TEST(DialogRules, TextLimitCountsCharactersNotBytes) {
    const std::size_t pattern = findField("patternChar")->textLimit;
    const std::size_t community = findField("snmpCommunity")->textLimit;
    EXPECT_EQ(checkTextLimit("7E", pattern), std::nullopt);
    EXPECT_EQ(checkTextLimit("7E0", pattern), "Please enter no more than 2 characters.");
    EXPECT_EQ(checkTextLimit("kelvinkelv", community), std::nullopt);
    // Ten Hungarian letters are twenty bytes but ten characters to the user.
    EXPECT_EQ(checkTextLimit("áéíóöőúüűá", community), std::nullopt);
    EXPECT_EQ(checkTextLimit("áéíóöőúüűáé", community), "Please enter no more than 10 characters.");
}

TEST(DialogRules, NetworkHandlersReachTheResultingStates) {
    // Protocol buttons, TCP-mode buttons, remote address, remote port, local port, remote mask.
    const NetworkEnables command{false, false, false, false, false, false};
    const NetworkEnables client{true, true, true, true, false, false};
    const NetworkEnables server{true, true, true, false, true, true};
    const NetworkEnables udp{true, false, true, true, true, true};

    // Opening: any non-zero working mode is Command, whatever the other buttons hold; with
    // neither protocol button checked Normal takes the UDP/IP branch.
    EXPECT_EQ(initialNetworkEnables(7, {true, true}), command);
    EXPECT_EQ(initialNetworkEnables(0, {true, false}), client);
    EXPECT_EQ(initialNetworkEnables(0, {true, true}), server);
    EXPECT_EQ(initialNetworkEnables(0, {false, true}), udp);

    NetworkEnables e = initialNetworkEnables(1, {true, true});
    onNormalMode(e, {true, true});
    EXPECT_EQ(e, server);
    onUdpProtocol(e);
    EXPECT_EQ(e, udp);
    onTcpProtocol(e, {true, true});
    EXPECT_EQ(e, server);
    onClientMode(e);
    EXPECT_EQ(e, client);
    onCommandMode(e);
    EXPECT_EQ(e, command);
}

TEST(DialogRules, RemoteConfigStatesAreTheSameFromAnyEarlierState) {
    for (const RemoteConfigEnables start : {RemoteConfigEnables{}, RemoteConfigEnables{1, 1, 1}}) {
        RemoteConfigEnables e = start;
        onEnableRead(e, 0, 1);
        EXPECT_EQ(e, (RemoteConfigEnables{false, false, false}));
        e = start;
        onEnableRead(e, 1, 0);
        EXPECT_EQ(e, (RemoteConfigEnables{true, true, false}));
        onEnableWrite(e, 1);
        EXPECT_EQ(e, (RemoteConfigEnables{true, true, true}));
    }
}

} // namespace
