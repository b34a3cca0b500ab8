// libFuzzer entry for the SNMP response reader and the BER reader. A crashing input found
// here goes into tests/fuzz/corpus/, where snmp_fuzz_corpus_test replays it in every build.
#include "tests/fuzz/SnmpFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!varnadex::test::fuzzSnmpResponse(data, size)) __builtin_trap();
    return 0;
}
