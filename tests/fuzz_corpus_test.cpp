// Replays every fuzz target's kept corpus, seeds and crashing inputs found by earlier runs, in
// every build.
#include "tests/fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

namespace varnadex::test {
namespace {

struct Target {
    const char* corpus; // folder under tests/fuzz/
    bool (*run)(const std::uint8_t*, std::size_t);
    friend void PrintTo(const Target& t, std::ostream* os) { *os << t.corpus; }
};

class FuzzCorpus : public testing::TestWithParam<Target> {};

TEST_P(FuzzCorpus, EveryKeptInputHolds) {
    int count = 0;
    const auto folder = std::filesystem::path(VARNADEX_FUZZ_DIR) / GetParam().corpus;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_TRUE(GetParam().run(bytes.data(), bytes.size())) << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus,
                         testing::Values(Target{"serial_reply", fuzzSerialReply},
                                         Target{"profile", fuzzProfile},
                                         Target{"serial_requests", fuzzSerialRequests},
                                         Target{"snmp_request", fuzzSnmpRequest},
                                         Target{"config_file", fuzzConfigFile}),
                         [](const auto& info) { return std::string(info.param.corpus); });

} // namespace
} // namespace varnadex::test
