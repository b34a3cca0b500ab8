#include "app/ConverterOperations.h"
#include "maintenance/FirmwareFile.h"
#include "platform/SystemClock.h"
#include "platform/WinSerialPort.h"
#include "platform/WinUdpSocket.h"

namespace varnadex {
namespace {

// The Windows devices, as a base of its own so they exist before the operations that use
// them and outlive them.
struct WinDevices {
    WinSerialPort port;
    WinUdpSocket socket;
    SystemClock clock;
    FirmwareFile firmwareFile;
};

class WinOperations : private WinDevices, public ConverterOperations {
public:
    WinOperations(IMessageSink& sink, const MessageCatalogue& catalogue)
        : ConverterOperations(port, socket, clock, firmwareFile, sink, catalogue) {}
};

} // namespace

std::unique_ptr<IOperations> makeOperations(IMessageSink& sink, const MessageCatalogue& catalogue) {
    return std::make_unique<WinOperations>(sink, catalogue);
}

} // namespace varnadex
