#include "operations/ConverterOperations.h"
#include "maintenance/FirmwareFile.h"
#include "platform/SystemClock.h"
#include "platform/SystemDevices.h"

namespace varnadex {
namespace {

// This machine's devices, as a base of its own so they exist before the operations that use
// them and outlive them.
struct SystemDevices {
    SystemSerialPort port;
    SystemUdpSocket socket;
    SystemClock clock;
    FirmwareFile firmwareFile;
};

class SystemOperations : private SystemDevices, public ConverterOperations {
public:
    SystemOperations(IMessageSink& sink, const MessageCatalogue& catalogue)
        : ConverterOperations(port, socket, clock, firmwareFile, sink, catalogue) {}
};

} // namespace

std::unique_ptr<IOperations> makeOperations(IMessageSink& sink, const MessageCatalogue& catalogue) {
    return std::make_unique<SystemOperations>(sink, catalogue);
}

} // namespace varnadex
