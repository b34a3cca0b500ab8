// Replays the fuzz corpus, crashing inputs kept from earlier runs included, in every build.
#include "tests/fuzz/SnmpFuzz.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace varnadex::test {
namespace {

TEST(SnmpFuzzCorpus, EveryKeptInputHolds) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SNMP_FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_TRUE(fuzzSnmpResponse(bytes.data(), bytes.size())) << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0);
}

} // namespace
} // namespace varnadex::test
