#include "operations/ConverterOperations.h"

#include "serial/SerialConnection.h"
#include "snmp/SnmpConnection.h"

namespace varnadex {

ConverterOperations::ConverterOperations(ISerialPort& port, IDatagramSocket& socket, IClock& clock,
                                         IFirmwareFile& firmwareFile, IMessageSink& sink,
                                         const MessageCatalogue& catalogue)
    : serial_(port, clock, catalogue), snmp_(socket, clock, catalogue),
      procedures_(sink, catalogue), reset_(serial_, snmp_, sink, catalogue),
      firmware_(serial_, firmwareFile, clock, sink, catalogue) {}

template <class Procedure>
bool ConverterOperations::withConnection(ConverterConfig& config, Procedure run) {
    // Any access mode but 1 is the serial link.
    if (config.accessMode == 1) {
        SnmpConnection connection(snmp_, config);
        return run(connection) == OpResult::Ok;
    }
    SerialConnection connection(serial_, config.comPort);
    return run(connection) == OpResult::Ok;
}

bool ConverterOperations::ReadConf(ConverterConfig& config) {
    return withConnection(
        config, [&](IConfigConnection& c) { return procedures_.ReadConf(config, c, control_); });
}

bool ConverterOperations::WriteConf(ConverterConfig& config) {
    return withConnection(
        config, [&](IConfigConnection& c) { return procedures_.WriteConf(config, c, control_); });
}

bool ConverterOperations::Reset(ConverterConfig& config) {
    return reset_.OnReset(config);
}

// The download always goes over the serial link, whatever the access mode shows.
bool ConverterOperations::FirmwareStart(ConverterConfig& config, const std::string& path) {
    return firmware_.Start(config.comPort, path);
}

bool ConverterOperations::FirmwareTick() {
    return firmware_.Tick();
}
void ConverterOperations::FirmwareAbort() {
    firmware_.Abort();
}
bool ConverterOperations::firmwareRunning() const {
    return firmware_.running();
}

FirmwareProgress ConverterOperations::firmwareProgress() const {
    return {firmware_.progressMaximum(), firmware_.progressValue(), firmware_.imageBytesSent(),
            firmware_.imageBytes()};
}

bool ConverterOperations::firmwareSucceeded() const {
    return firmware_.succeeded();
}

} // namespace varnadex
