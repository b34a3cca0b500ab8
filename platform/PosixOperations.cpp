#include "app/ConverterOperations.h"
#include "maintenance/FirmwareFile.h"
#include "platform/PosixSerialPort.h"
#include "platform/PosixUdpSocket.h"
#include "platform/SystemClock.h"

namespace varnadex {
namespace {

// This machine's devices, as a base of its own so they exist before the operations that use
// them and outlive them.
struct PosixDevices {
    PosixSerialPort port;
    PosixUdpSocket socket;
    SystemClock clock;
    FirmwareFile firmwareFile;
};

class PosixOperations : private PosixDevices, public ConverterOperations {
public:
    PosixOperations(IMessageSink& sink, const MessageCatalogue& catalogue)
        : ConverterOperations(port, socket, clock, firmwareFile, sink, catalogue) {}
};

} // namespace

std::unique_ptr<IOperations> makeOperations(IMessageSink& sink, const MessageCatalogue& catalogue) {
    return std::make_unique<PosixOperations>(sink, catalogue);
}

} // namespace varnadex
