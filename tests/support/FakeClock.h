#pragma once

#include "app/Clock.h"

#include <vector>

namespace varnadex::test {

// Virtual time: sleeping advances it at once, so retry schedules run instantly.
class FakeClock : public IClock {
public:
    Millis now() const override { return now_; }
    void sleepFor(Millis d) override {
        sleeps.push_back(d);
        now_ += d;
    }
    void advance(Millis d) { now_ += d; }
    std::vector<Millis> sleeps;

private:
    Millis now_{1000};
};

} // namespace varnadex::test
