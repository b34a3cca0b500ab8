#pragma once

#include "app/ConfApp.h"
#include "operations/Operations.h"
#include "support/QtTests.h"

#include <functional>
#include <string>
#include <vector>

namespace varnadex::test {

// Operations that remember what they were called with and do what the test says.
class FakeOperations : public IOperations {
public:
    struct Call {
        std::string name;
        ConverterConfig config; // as the operation received it
    };

    bool ReadConf(ConverterConfig& c) override { return record("ReadConf", c, onRead); }
    bool WriteConf(ConverterConfig& c) override { return record("WriteConf", c, onWrite); }
    bool Reset(ConverterConfig& c) override { return record("Reset", c, {}); }
    bool FirmwareStart(ConverterConfig& c, const std::string& path) override {
        firmwarePath = path;
        running = startResult;
        record("FirmwareStart", c, {});
        return startResult;
    }
    bool FirmwareTick() override {
        calls.push_back({"FirmwareTick", {}});
        ++ticks;
        if (ticksUntilDone > 0 && --ticksUntilDone == 0) running = false;
        if (!running) progress = {progress.maximum, 0};
        return running;
    }
    void FirmwareAbort() override {
        calls.push_back({"FirmwareAbort", {}});
        running = false;
    }
    bool firmwareRunning() const override { return running; }
    FirmwareProgress firmwareProgress() const override { return progress; }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            out.push_back(c.name);
        return out;
    }

    std::vector<Call> calls;
    std::function<void(ConverterConfig&)> onRead, onWrite;
    bool startResult = true;
    bool running = false;
    int ticks = 0;
    int ticksUntilDone = 0; // 0 = never ends by itself
    FirmwareProgress progress{};
    std::string firmwarePath;

private:
    bool record(const char* name, ConverterConfig& c,
                const std::function<void(ConverterConfig&)>& change) {
        calls.push_back({name, c});
        if (change) change(c);
        return true;
    }
};

// An application object as start-up leaves it, for one language.
inline CConfApp makeApp(int language) {
    CConfApp app;
    app.language = language;
    app.messageCatalogue.fill(language);
    return app;
}

} // namespace varnadex::test
