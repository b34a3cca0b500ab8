#include "app/Operations.h"

namespace varnadex {
namespace {

// Placeholder until the transports are wired in: every operation fails quietly.
class NoOperations : public IOperations {
public:
    bool ReadConf(ConverterConfig&) override { return false; }
    bool WriteConf(ConverterConfig&) override { return false; }
    bool Reset(ConverterConfig&) override { return false; }
    bool FirmwareStart(ConverterConfig&, const std::string&) override { return false; }
    bool FirmwareTick() override { return false; }
    void FirmwareAbort() override {}
    bool firmwareRunning() const override { return false; }
    FirmwareProgress firmwareProgress() const override { return {}; }
};

} // namespace

std::unique_ptr<IOperations> makeOperations(IMessageSink&, const MessageCatalogue&) {
    return std::make_unique<NoOperations>();
}

} // namespace varnadex
