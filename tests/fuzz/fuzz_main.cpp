// libFuzzer entry for one target of FuzzTargets.h, named by VARNADEX_FUZZ_ENTRY. A crashing
// input found here goes into that target's corpus folder, where fuzz_corpus_test replays it.
#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!varnadex::test::VARNADEX_FUZZ_ENTRY(data, size)) __builtin_trap();
    return 0;
}
