// The simulated converter's loader on its own, byte by byte on made-up time: when it judges an
// image, and what it does after an 'E'.

#include "sim/Bootloader.h"
#include "sim/SerialFaults.h"

#include <gtest/gtest.h>

namespace varnadex::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes replyOf(const std::optional<Bootloader::Reply>& r) {
    return r ? r->bytes : Bytes{};
}

TEST(SimLoader, JudgesAnImageAtItsSizeOrAfterAPause) {
    for (std::size_t size : {0, 3}) {
        SimLog log;
        BootFaults faults;
        faults.imageSize = size;
        Bootloader loader(log, faults);
        loader.enter();
        const Bootloader::TimePoint t0{};
        EXPECT_EQ(replyOf(loader.take('V', t0)), (Bytes{0x00, 0x01}));
        EXPECT_FALSE(loader.take('X', t0)); // anything else is ignored
        EXPECT_FALSE(loader.take('S', t0));
        EXPECT_FALSE(loader.idle(t0 + 5s));      // a long wait before the first byte
        EXPECT_FALSE(loader.take('V', t0 + 5s)); // 'V' in the image is image
        EXPECT_FALSE(loader.take('S', t0 + 6s)); // a second between slices
        const auto third = loader.take('I', t0 + 7s);
        if (size == 0) {
            EXPECT_FALSE(third);
            EXPECT_FALSE(loader.idle(t0 + 8499ms));
        }
        EXPECT_EQ(replyOf(size ? third : loader.idle(t0 + 8500ms)), Bytes{'O'}) << size;
        EXPECT_EQ(loader.image(), (Bytes{'V', 'S', 'I'}));
        EXPECT_FALSE(loader.active()); // the new firmware runs
    }
}

TEST(SimLoader, CheckpointAnswersLateOrLong) {
    const std::tuple<const char*, Bytes, std::chrono::milliseconds> rows[] = {
        {"boot-checkpoint-late=1200", {'O'}, 1200ms},
        {"boot-checkpoint-flood=3", {'O', 'O', 'O'}, 0ms},
    };
    for (const auto& [fault, reply, late] : rows) {
        SimLog log;
        BootFaults faults;
        ASSERT_EQ(applyBootFault(fault, faults), FaultParse::Applied);
        Bootloader loader(log, faults);
        loader.enter();
        const Bootloader::TimePoint t0{};
        loader.take('S', t0);
        for (int i = 0; i < 9980; ++i)
            EXPECT_FALSE(loader.take(0x00, t0));
        const auto answer = loader.take(0x00, t0); // the program's position 9999
        ASSERT_TRUE(answer) << fault;
        EXPECT_EQ(answer->bytes, reply) << fault;
        EXPECT_EQ(answer->at - t0, late) << fault;
    }
}

TEST(SimLoader, AfterAnEItWaitsForTheLineToFallQuiet) {
    SimLog log;
    BootFaults faults;
    ASSERT_EQ(applyBootFault("boot-checkpoint-e=1", faults), FaultParse::Applied);
    EXPECT_EQ(applyBootFault("boot-checkpoint-e=0", faults), FaultParse::BadValue);
    Bootloader loader(log, faults);
    loader.enter();
    const Bootloader::TimePoint t0{};
    loader.take('S', t0);
    for (int i = 0; i < 9980; ++i)
        loader.take(0x00, t0);
    EXPECT_EQ(replyOf(loader.take(0x00, t0)), Bytes{'E'}); // the program's position 9999
    EXPECT_FALSE(loader.take('V', t0 + 10ms)); // bytes already on their way are no command
    EXPECT_FALSE(loader.idle(t0 + 5s));        // and a failed image gets no verdict
    EXPECT_EQ(replyOf(loader.take('V', t0 + 5s)), (Bytes{0x00, 0x01}));
}

} // namespace
} // namespace varnadex::sim
